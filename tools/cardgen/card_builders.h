#pragma once
// Builds the files a handheld device leaves on a flash card, byte by byte as the device writes
// them, with switches for the damage a worn card or a faulty device produces.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zep::cardgen {

using Bytes = std::vector<std::uint8_t>;

// A ".zep" meter archive: "tess", a key=value header with its check word, then records of
// L, 'T', kind, data and a check word, numbers least significant byte first.
struct MeterArchiveSpec {
    std::string type = "M1";
    std::string serial = "100001";
    std::string virtualDevice = "1";
    std::string vname = "Котельная";  // stored as Windows-1251
    std::string time = "12.03.2009 10:15";
    struct Record {
        std::uint8_t kind = 1;
        Bytes data;
    };
    std::vector<Record> records;
};
Bytes BuildMeterArchive(const MeterArchiveSpec& spec);

// Texts given in UTF-8 are stored as Windows-1251, as the device writes them.
Bytes ToCp1251Bytes(const std::string& utf8);

// One record of a card database.
struct CardRecordSpec {
    std::string time = "5.3.2009 9:07";
    std::string type = "M1";
    std::string virtualList = "1,2";
    std::string vname = "ЦТП-1";
    std::string serial = "200001";
    std::string volume = "1";
    Bytes payload;
    std::uint8_t flags = 0;
    bool wrongCheckWord = false;
    std::size_t padding = 0;  // bytes left in the extent behind the record's data
};

// Where things stand in a built database, for tests that check or damage single bytes.
struct CardLayout {
    std::vector<std::uint32_t> indexPositions;  // of each 8-byte index entry
    std::vector<std::uint32_t> recordOffsets;
    std::vector<std::uint16_t> keys;            // check words as a preview key holds them
    std::vector<std::uint32_t> blockPositions;  // of each index block header
};

class CardDatabaseBuilder {
public:
    CardDatabaseBuilder& Version(std::uint16_t version);
    CardDatabaseBuilder& Signature(const std::string& four);
    // The index is split into two blocks, the first holding this many entries.
    CardDatabaseBuilder& SecondBlockAfter(std::size_t entries);
    CardDatabaseBuilder& Add(CardRecordSpec record);
    // An archive of as many volumes as payloads, numbered 1, 2, ...
    CardDatabaseBuilder& AddArchive(const CardRecordSpec& first,
                                    const std::vector<Bytes>& payloads);

    std::size_t Count() const { return m_records.size(); }
    Bytes Build(CardLayout* layout = nullptr) const;

private:
    std::uint16_t m_version = 0;
    std::string m_signature = "Tess";
    std::size_t m_secondBlockAfter = 0;
    std::vector<CardRecordSpec> m_records;
};

// The bytes of one record as it stands in the file (its extent).
Bytes BuildCardRecord(const CardRecordSpec& spec);

// The title area of a record: the six strings, each ended by a NUL.
Bytes TitleArea(const CardRecordSpec& spec);

// Deterministic filler of the given size.
Bytes PatternBytes(std::size_t size, std::uint32_t seed);

void WriteBytes(const std::filesystem::path& file, const Bytes& bytes);

}  // namespace zep::cardgen
