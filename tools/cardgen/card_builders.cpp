// Builders of card folder contents: meter archives, printer protocols and card databases, sound
// or damaged on purpose.
#include "tools/cardgen/card_builders.h"

#include <fstream>

#include "tools/sim/sim_cp1251.h"
#include "tools/sim/sim_crc.h"

namespace zep::cardgen {

namespace {

void AppendBe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void AppendLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendBe32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void AppendLe32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift <= 24; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void AppendText(Bytes& out, const std::string& utf8) {
    const Bytes text = ToCp1251Bytes(utf8);
    out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

Bytes ToCp1251Bytes(const std::string& utf8) {
    const std::string text = sim::EncodeCp1251(utf8);
    return Bytes(text.begin(), text.end());
}

Bytes PatternBytes(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

Bytes BuildMeterArchive(const MeterArchiveSpec& spec) {
    Bytes text;
    AppendText(text, "Type=" + spec.type + "\nSerial=" + spec.serial +
                         "\nVirtual=" + spec.virtualDevice + "\nVname=" + spec.vname +
                         "\nTime=" + spec.time + "\n");
    text.push_back(0);
    Bytes out{'t', 'e', 's', 's', 0, 0};
    AppendLe16(out, static_cast<std::uint16_t>(text.size() + 2));  // N: text, NUL, check word
    out.insert(out.end(), text.begin(), text.end());
    AppendLe16(out, sim::SimCrc16(text));
    for (const auto& record : spec.records) {
        Bytes body{'T', record.kind};
        body.insert(body.end(), record.data.begin(), record.data.end());
        AppendLe16(out, static_cast<std::uint16_t>(body.size() + 2));
        out.insert(out.end(), body.begin(), body.end());
        AppendLe16(out, sim::SimCrc16(body));
    }
    return out;
}

Bytes TitleArea(const CardRecordSpec& spec) {
    Bytes area;
    for (const std::string* text :
         {&spec.time, &spec.type, &spec.virtualList, &spec.vname, &spec.serial, &spec.volume}) {
        AppendText(area, *text);
        area.push_back(0);
    }
    return area;
}

Bytes BuildCardRecord(const CardRecordSpec& spec) {
    const Bytes area = TitleArea(spec);
    Bytes checked;
    AppendBe16(checked, static_cast<std::uint16_t>(area.size()));
    checked.insert(checked.end(), area.begin(), area.end());
    checked.insert(checked.end(), spec.payload.begin(), spec.payload.end());
    std::uint16_t check = sim::SimCrc16(checked);
    if (spec.wrongCheckWord) {
        check ^= 0x5A5A;
    }
    Bytes out = PatternBytes(8, static_cast<std::uint32_t>(checked.size()));
    AppendBe16(out, static_cast<std::uint16_t>(checked.size() + 2));  // L: check word + rest
    AppendBe16(out, check);
    out.insert(out.end(), checked.begin(), checked.end());
    out.resize(out.size() + spec.padding, 0xCC);
    return out;
}

CardDatabaseBuilder& CardDatabaseBuilder::Version(std::uint16_t version) {
    m_version = version;
    return *this;
}

CardDatabaseBuilder& CardDatabaseBuilder::Signature(const std::string& four) {
    m_signature = four;
    return *this;
}

CardDatabaseBuilder& CardDatabaseBuilder::SecondBlockAfter(std::size_t entries) {
    m_secondBlockAfter = entries;
    return *this;
}

CardDatabaseBuilder& CardDatabaseBuilder::Add(CardRecordSpec record) {
    m_records.push_back(std::move(record));
    return *this;
}

CardDatabaseBuilder& CardDatabaseBuilder::AddArchive(const CardRecordSpec& first,
                                                     const std::vector<Bytes>& payloads) {
    for (std::size_t v = 0; v < payloads.size(); ++v) {
        CardRecordSpec volume = first;
        volume.volume = std::to_string(v + 1);
        volume.payload = payloads[v];
        m_records.push_back(std::move(volume));
    }
    return *this;
}

Bytes CardDatabaseBuilder::Build(CardLayout* layout) const {
    CardLayout local;
    CardLayout& where = layout != nullptr ? *layout : local;
    where = {};
    Bytes out = PatternBytes(72, 72);
    out[34] = static_cast<std::uint8_t>(m_version >> 8);
    out[35] = static_cast<std::uint8_t>(m_version);
    for (std::size_t i = 0; i < 4; ++i) {
        out[64 + i] = i < m_signature.size() ? static_cast<std::uint8_t>(m_signature[i]) : 0;
    }
    const std::size_t count = m_records.size();
    const bool twoBlocks = m_secondBlockAfter > 0 && m_secondBlockAfter < count;
    const std::size_t firstCount = twoBlocks ? m_secondBlockAfter : count;
    const std::size_t indexEnd = 72 + 6 + 8 * count + (twoBlocks ? 6 : 0);

    std::vector<Bytes> extents;
    std::uint32_t offset = static_cast<std::uint32_t>(indexEnd);
    for (const auto& spec : m_records) {
        extents.push_back(BuildCardRecord(spec));
        where.recordOffsets.push_back(offset);
        const auto& bytes = extents.back();
        where.keys.push_back(static_cast<std::uint16_t>(bytes[10] | (bytes[11] << 8)));
        offset += static_cast<std::uint32_t>(bytes.size());
    }
    const auto writeBlock = [&](std::size_t from, std::size_t to, std::uint32_t next) {
        where.blockPositions.push_back(static_cast<std::uint32_t>(out.size()));
        AppendLe32(out, next);
        AppendBe16(out, static_cast<std::uint16_t>(to - from));
        for (std::size_t i = from; i < to; ++i) {
            where.indexPositions.push_back(static_cast<std::uint32_t>(out.size()));
            AppendBe32(out, where.recordOffsets[i]);
            out.push_back(m_records[i].flags);
            out.insert(out.end(), {0, 0, 0});
        }
    };
    const std::uint32_t secondBlock = static_cast<std::uint32_t>(72 + 6 + 8 * firstCount);
    writeBlock(0, firstCount, twoBlocks ? secondBlock : 0);
    if (twoBlocks) {
        writeBlock(firstCount, count, 0);
    }
    for (const auto& bytes : extents) {
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

void WriteBytes(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace zep::cardgen
