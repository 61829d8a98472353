// Meter and assembled archives built byte by byte for the tests, valid by default or damaged on
// purpose.
#include "tests/support/archive_builder.h"

#include "core/crc16.h"
#include "tests/support/temp_dir.h"

namespace zep::test {

namespace {

void AppendLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendBe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

}  // namespace

Bytes ToBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

MeterArchiveBuilder& MeterArchiveBuilder::HeaderText(std::string text) {
    m_text = std::move(text);
    return *this;
}

MeterArchiveBuilder& MeterArchiveBuilder::Value(std::string_view key, std::string_view value) {
    m_text.append(key).append("=").append(value).append("\n");
    return *this;
}

MeterArchiveBuilder& MeterArchiveBuilder::Flaw(HeaderFlaw flaw) {
    m_flaw = flaw;
    return *this;
}

MeterArchiveBuilder& MeterArchiveBuilder::HeaderLength(std::uint16_t n) {
    m_length = n;
    return *this;
}

MeterArchiveBuilder& MeterArchiveBuilder::Reserved(std::uint16_t value) {
    m_reserved = value;
    return *this;
}

MeterArchiveBuilder& MeterArchiveBuilder::Record(std::uint8_t kind, const Bytes& data,
                                                 RecordFlaw flaw) {
    return Raw(MeterRecordBytes(kind, data, flaw));
}

MeterArchiveBuilder& MeterArchiveBuilder::Raw(const Bytes& bytes) {
    m_bodyOffsets.push_back(m_body.size());
    m_body.insert(m_body.end(), bytes.begin(), bytes.end());
    return *this;
}

std::size_t MeterArchiveBuilder::FirstRecordOffset() const {
    return 8 + m_text.size() + 3;
}

std::vector<std::size_t> MeterArchiveBuilder::BodyOffsets() const {
    std::vector<std::size_t> offsets;
    for (const auto relative : m_bodyOffsets) {
        offsets.push_back(FirstRecordOffset() + relative);
    }
    return offsets;
}

Bytes MeterArchiveBuilder::Build() const {
    Bytes out = ToBytes(m_flaw == HeaderFlaw::BadSignature ? "tesS" : "tess");
    AppendLe16(out, m_reserved);
    AppendLe16(out, m_length.value_or(static_cast<std::uint16_t>(m_text.size() + 3)));

    Bytes block = ToBytes(m_text);
    block.push_back(m_flaw == HeaderFlaw::NonZeroTerminator ? 'x' : 0);
    std::uint16_t check = Crc16(block);
    if (m_flaw == HeaderFlaw::BadCheck) {
        ++check;
    }
    AppendLe16(block, check);
    out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), m_body.begin(), m_body.end());
    return out;
}

void MeterArchiveBuilder::WriteTo(const std::filesystem::path& file) const {
    WriteFileBytes(file, Build());
}

Bytes MeterRecordBytes(std::uint8_t kind, const Bytes& data, RecordFlaw flaw) {
    Bytes record;
    AppendLe16(record, static_cast<std::uint16_t>(data.size() + 4));
    record.push_back(flaw == RecordFlaw::NotT ? 'X' : 'T');
    record.push_back(kind);
    record.insert(record.end(), data.begin(), data.end());
    std::uint16_t check = Crc16(std::span(record).subspan(2));
    if (flaw == RecordFlaw::BadCheck) {
        ++check;
    }
    AppendLe16(record, check);
    return record;
}

AssembledArchiveBuilder& AssembledArchiveBuilder::Title(std::string_view text) {
    m_title.insert(m_title.end(), text.begin(), text.end());
    m_title.push_back(0);
    return *this;
}

AssembledArchiveBuilder& AssembledArchiveBuilder::Titles(
    std::initializer_list<std::string_view> texts) {
    for (const auto text : texts) {
        Title(text);
    }
    return *this;
}

AssembledArchiveBuilder& AssembledArchiveBuilder::TitleRaw(const Bytes& bytes) {
    m_title.insert(m_title.end(), bytes.begin(), bytes.end());
    return *this;
}

AssembledArchiveBuilder& AssembledArchiveBuilder::TitleLength(std::uint16_t h) {
    m_length = h;
    return *this;
}

AssembledArchiveBuilder& AssembledArchiveBuilder::Record(std::uint8_t kind, const Bytes& data) {
    m_body.push_back('T');
    m_body.push_back(kind);
    AppendBe16(m_body, static_cast<std::uint16_t>(data.size()));
    m_body.insert(m_body.end(), data.begin(), data.end());
    return *this;
}

AssembledArchiveBuilder& AssembledArchiveBuilder::Raw(const Bytes& bytes) {
    m_body.insert(m_body.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes AssembledArchiveBuilder::Build() const {
    Bytes out;
    AppendBe16(out, m_length.value_or(static_cast<std::uint16_t>(m_title.size())));
    out.insert(out.end(), m_title.begin(), m_title.end());
    out.insert(out.end(), m_body.begin(), m_body.end());
    return out;
}

void AssembledArchiveBuilder::WriteTo(const std::filesystem::path& file) const {
    WriteFileBytes(file, Build());
}

}  // namespace zep::test
