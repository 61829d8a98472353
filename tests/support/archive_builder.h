#pragma once
// Builds meter archives (".bia"/".zep") and assembled archives (".bin") byte by byte, valid by
// default, with switches for the damage a reader must survive.
//
//   auto bia = MeterArchiveBuilder().Value("Type", "M1").Value("Serial", "123")
//                  .Record(1, {0x10, 0x20}).Record(2, {}).Build();
//   auto bin = AssembledArchiveBuilder().Titles({"", "M1", "1,2", "Дом", "123"})
//                  .Record(7, {1, 2, 3}).Build();
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zep::test {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::string_view text);

// What can be wrong with the header of a meter archive.
enum class HeaderFlaw {
    None,
    BadSignature,      // "tesS" instead of "tess"
    BadCheck,          // header check word off by one
    NonZeroTerminator  // the byte at N + 5 is not the text's NUL
};

// What can be wrong with one record of a meter archive.
enum class RecordFlaw {
    None,
    BadCheck,  // check word off by one
    NotT       // 'X' where the 'T' belongs (check word computed over the damaged bytes)
};

class MeterArchiveBuilder {
public:
    // The whole header text (key=value lines, each usually ended by '\n'); replaces earlier
    // text. Bytes are taken as they are (Windows-1251 where the device uses it).
    MeterArchiveBuilder& HeaderText(std::string text);
    // Appends the line key=value and a line feed to the header text.
    MeterArchiveBuilder& Value(std::string_view key, std::string_view value);
    MeterArchiveBuilder& Flaw(HeaderFlaw flaw);
    // Overrides N (the header block length) with a value that need not fit the text.
    MeterArchiveBuilder& HeaderLength(std::uint16_t n);
    // The two bytes at offsets 4 and 5, which no reader interprets.
    MeterArchiveBuilder& Reserved(std::uint16_t value);

    // Appends a record: L = data size + 4, 'T', kind, data, check word.
    MeterArchiveBuilder& Record(std::uint8_t kind, const Bytes& data,
                                RecordFlaw flaw = RecordFlaw::None);
    // Appends bytes behind the records as they are (trailing garbage, hand-made records).
    MeterArchiveBuilder& Raw(const Bytes& bytes);

    // Offset of the first record, i.e. 8 + N of a valid header.
    std::size_t FirstRecordOffset() const;
    // File offsets at which each record (or raw chunk) begins, in the order added.
    std::vector<std::size_t> BodyOffsets() const;

    Bytes Build() const;
    void WriteTo(const std::filesystem::path& file) const;

private:
    std::string m_text;
    HeaderFlaw m_flaw = HeaderFlaw::None;
    std::optional<std::uint16_t> m_length;
    std::uint16_t m_reserved = 0;
    Bytes m_body;
    std::vector<std::size_t> m_bodyOffsets;  // relative to the start of the body
};

// One meter-archive record as it stands in a file (L, 'T', kind, data, check word).
Bytes MeterRecordBytes(std::uint8_t kind, const Bytes& data, RecordFlaw flaw = RecordFlaw::None);

class AssembledArchiveBuilder {
public:
    // Appends one NUL-terminated title string.
    AssembledArchiveBuilder& Title(std::string_view text);
    AssembledArchiveBuilder& Titles(std::initializer_list<std::string_view> texts);
    // Appends bytes to the title area as they are (for example a string without its NUL).
    AssembledArchiveBuilder& TitleRaw(const Bytes& bytes);
    // Overrides H (the title area length) with a value that need not fit the area.
    AssembledArchiveBuilder& TitleLength(std::uint16_t h);

    // Appends a record: 'T', kind, n (big-endian) = data size, data.
    AssembledArchiveBuilder& Record(std::uint8_t kind, const Bytes& data);
    // Appends bytes behind the title area as they are.
    AssembledArchiveBuilder& Raw(const Bytes& bytes);

    Bytes Build() const;
    void WriteTo(const std::filesystem::path& file) const;

private:
    Bytes m_title;
    std::optional<std::uint16_t> m_length;
    Bytes m_body;
};

}  // namespace zep::test
