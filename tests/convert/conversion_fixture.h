#pragma once
// Raw files and folders for the conversion tests: archives from lists of records, driver
// folders holding copies of the built driver libraries, and the dispatch-system values pointing
// at temporary folders.
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/path_text.h"
#include "platform/dispatch_values.h"
#include "platform/shared_library.h"
#include "tests/support/archive_builder.h"
#include "tests/support/temp_dir.h"

namespace zep::test {

struct RawRecord {
    std::uint8_t kind = 0;
    Bytes data;
};

// A valid meter archive: the header text as given, then the records.
inline Bytes MeterArchive(const std::string& headerText, const std::vector<RawRecord>& records) {
    MeterArchiveBuilder builder;
    builder.HeaderText(headerText);
    for (const RawRecord& record : records) {
        builder.Record(record.kind, record.data);
    }
    return builder.Build();
}

// An assembled archive of the title strings and the records.
inline Bytes AssembledArchive(const std::vector<std::string>& titles,
                              const std::vector<RawRecord>& records) {
    AssembledArchiveBuilder builder;
    for (const std::string& title : titles) {
        builder.Title(title);
    }
    for (const RawRecord& record : records) {
        builder.Record(record.kind, record.data);
    }
    return builder.Build();
}

// Title strings 0 to 4 of an archive assembled by an exchange.
inline std::vector<std::string> Titles(const std::string& type, const std::string& virtuals,
                                       const std::string& vname, const std::string& serial) {
    return {"archive", type, virtuals, vname, serial};
}

// The file name of a driver library on this platform ("vl_m1.so", "vl_m1.dll").
inline std::string Lib(const std::string& base) {
    return base + std::string(SharedLibrarySuffix());
}

inline std::string UpperCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
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

// A copy of a test driver for the driver host to load. On Windows the probe library the test
// drivers link goes beside it: Windows looks for it in the driver's folder and the loading
// program's, and the host is not in the test programs' folder.
inline std::filesystem::path CopyHostDriver(const std::string& fileName,
                                            const std::filesystem::path& folder) {
    const auto copy = CopyDriver(fileName, folder);
#if defined(_WIN32)
    std::filesystem::copy_file(
        std::filesystem::path(ZEP_BINARY_DIR) / "tests" / "libzep_driver_probe.dll",
        folder / "libzep_driver_probe.dll", std::filesystem::copy_options::skip_existing);
#endif
    return copy;
}

// The line that follows a missing value when its configuration file is saved as UTF-16.
inline std::string Utf16Line(const std::filesystem::path& file) {
    return "$04Файл '" + PathToUtf8(file) +
           "' есть, но сохранён в кодировке Unicode (UTF-16 или UTF-32), его значения не "
           "прочитаны: сохраните файл в кодировке ANSI или UTF-8.";
}

// The dispatch system's values; empty values are missing.
class DispatchSetup {
public:
    DispatchValues Values(const std::string& drivers, const std::string& import,
                          const std::string& installTo = {}) const {
        const std::map<std::pair<std::string, std::string>, std::string> values{
            {{"Velmora", "Drivers"}, drivers},
            {{"Velmora", "Import"}, import},
            {{"Zuvo", "InstallTo"}, installTo}};
        return DispatchValues(
            [values](std::string_view section, std::string_view key) {
                const auto value = values.find({std::string(section), std::string(key)});
                return value == values.end() || value->second.empty()
                           ? std::nullopt
                           : std::optional(value->second);
            },
            {},
            [foreign = foreign](std::string_view section) -> std::optional<std::filesystem::path> {
                const auto file = foreign.find(std::string(section));
                return file == foreign.end() ? std::nullopt : std::optional(file->second);
            });
    }

    // Sections whose configuration file is there but saved as UTF-16: its file.
    std::map<std::string, std::filesystem::path> foreign;
};

}  // namespace zep::test
