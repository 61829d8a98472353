#pragma once
// Builders of raw files and folders for the conversion tests: meter and assembled archives
// byte by byte, driver folders holding copies of the built driver libraries, and the
// dispatch-system values pointing at temporary folders.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "link/crc16.h"
#include "platform/dispatch_values.h"
#include "tests/support/temp_dir.h"

namespace zep::test {

using Bytes = std::vector<std::uint8_t>;

struct RawRecord {
    std::uint8_t kind = 0;
    Bytes data;
};

inline Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// "tess", two unused bytes, N, the header text with its NUL, the check word, then the records
// as L, 'T', kind, data, check word; all numbers least significant byte first.
inline Bytes MeterArchive(const std::string& headerText, const std::vector<RawRecord>& records) {
    const std::string head = std::string("tess\0\0\0\0", 8) + headerText + '\0';
    Bytes out(head.begin(), head.end());
    const std::size_t n = headerText.size() + 3;
    WriteLe16(out.data() + 6, static_cast<std::uint16_t>(n));
    const std::uint16_t headerCheck = Crc16(out.data() + 8, n - 2);
    out.push_back(static_cast<std::uint8_t>(headerCheck));
    out.push_back(static_cast<std::uint8_t>(headerCheck >> 8));
    for (const RawRecord& record : records) {
        Bytes body = {'T', record.kind};
        body.insert(body.end(), record.data.begin(), record.data.end());
        const auto length = static_cast<std::uint16_t>(body.size() + 2);
        const std::uint16_t check = Crc16(body.data(), body.size());
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.insert(out.end(), body.begin(), body.end());
        out.push_back(static_cast<std::uint8_t>(check));
        out.push_back(static_cast<std::uint8_t>(check >> 8));
    }
    return out;
}

// H (most significant byte first), the NUL-terminated title strings, then the records as 'T',
// kind, n (most significant byte first), data.
inline Bytes AssembledArchive(const std::vector<std::string>& titles,
                              const std::vector<RawRecord>& records) {
    Bytes area;
    for (const std::string& title : titles) {
        area.insert(area.end(), title.begin(), title.end());
        area.push_back(0);
    }
    Bytes out(2 + area.size());
    WriteBe16(out.data(), static_cast<std::uint16_t>(area.size()));
    std::copy(area.begin(), area.end(), out.begin() + 2);
    for (const RawRecord& record : records) {
        out.push_back('T');
        out.push_back(record.kind);
        out.push_back(static_cast<std::uint8_t>(record.data.size() >> 8));
        out.push_back(static_cast<std::uint8_t>(record.data.size()));
        out.insert(out.end(), record.data.begin(), record.data.end());
    }
    return out;
}

// Title strings 0 to 4 of an archive assembled by an exchange.
inline std::vector<std::string> Titles(const std::string& type, const std::string& virtuals,
                                       const std::string& vname, const std::string& serial) {
    return {"archive", type, virtuals, vname, serial};
}

inline std::filesystem::path BuiltDriver(const std::string& fileName) {
    const std::filesystem::path sample =
        std::filesystem::path(ZEP_BINARY_DIR) / "drivers" / fileName;
    if (std::filesystem::exists(sample)) {
        return sample;
    }
    return std::filesystem::path(ZEP_BINARY_DIR) / "test-drivers" / fileName;
}

// Copies a built driver library into a folder; each copy is a library of its own when loaded.
inline std::filesystem::path CopyDriver(const std::string& fileName,
                                        const std::filesystem::path& folder,
                                        const std::string& asName = {}) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / (asName.empty() ? fileName : asName);
    std::filesystem::copy_file(BuiltDriver(fileName), target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
}

// A configuration home with the dispatch system's values; empty values are left out.
class DispatchSetup {
  public:
    DispatchValues Values(const std::string& drivers, const std::string& import,
                          const std::string& installTo = {}) const {
        std::filesystem::create_directories(m_home.path() / "Kestrom");
        std::string velmora = "[General]\n";
        if (!drivers.empty()) {
            velmora += "Drivers=" + drivers + "\n";
        }
        if (!import.empty()) {
            velmora += "Import=" + import + "\n";
        }
        WriteFileText(m_home.path() / "Kestrom" / "Velmora.conf", velmora);
        if (!installTo.empty()) {
            WriteFileText(m_home.path() / "Kestrom" / "Zuvo.conf",
                          "[General]\nInstallTo=" + installTo + "\n");
        }
        return DispatchValues(m_home.path());
    }

  private:
    TempDir m_home;
};

}  // namespace zep::test
