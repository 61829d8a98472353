// The driver table: the scan of the driver folder, the contract checks, duplicates, calls.
#include "convert/driver_table.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <system_error>

#include "convert/conversion_lines.h"
#include "core/path_text.h"
#include "platform/cp1251.h"
#include "platform/system_error.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDriverFolderMissingLine = "$04Не найден путь к папке драйверов.";

// What a driver's VLSetApp is given: a description of the host that stays valid for the life
// of the process.
const VLHostInfo kHostInfo{sizeof(VLHostInfo), "ZEP Import", 2009, 1};

// Stands in for every entry a driver names but does not export; it accepts any arguments and
// returns false. Only entry 6 is ever called, and a driver without it is not taken.
int UnresolvedEntry(...) {
    return 0;
}

void* const kStub = reinterpret_cast<void*>(&UnresolvedEntry);

template <typename Function>
Function AsFunction(void* address) {
    return reinterpret_cast<Function>(address);
}

// Texts a driver wrote into fixed fields need not be terminated; the last byte always ends them.
template <std::size_t N>
void Terminate(char (&text)[N]) {
    text[N - 1] = '\0';
}

}  // namespace

std::optional<fs::path> DriverFolder(WorkerReport& report, const DispatchValues& values) {
    const auto folder = values.GetValue(kVelmoraSection, "Drivers");
    if (!folder || folder->empty()) {
        report.LogUpper(kDriverFolderMissingLine);
        if (auto hint = ForeignEncodingLine(values, kVelmoraSection)) {
            report.LogUpper(std::move(*hint));
        }
        return std::nullopt;
    }
    // A folder that is named but cannot be listed gives no driver either, and says why.
    fs::path path = PathFromUtf8(*folder);
    std::error_code error;
    fs::directory_iterator listing(path, error);
    if (error) {
        report.LogUpper(kDriverFolderMissingLine);
        LogReasonUpper(report, FromErrorCode(error), path);
        return std::nullopt;
    }
    return path;
}

std::string DriverLoadedLine(const std::string& name) {
    return "Загружен драйвер '" + Cp1251ToUtf8(name) + "'.";
}

void DriverTable::LoadDrivers(WorkerReport& report, const DispatchValues& values) {
    if (const auto folder = DriverFolder(report, values)) {
        LoadDriversFrom(report, *folder);
    }
}

void DriverTable::LoadDriversFrom(WorkerReport& report, const fs::path& folder) {
    LoadLibraries(ListLibraries(folder));
    for (int i = 0; i < Count(); ++i) {
        report.LogUpper(DriverLoadedLine(Name(i)));
    }
}

std::vector<fs::path> DriverTable::ListLibraries(const fs::path& folder) {
    std::vector<fs::path> visited;
    std::vector<fs::path> found;
    Scan(folder, visited, found);
    return found;
}

void DriverTable::LoadLibraries(const std::vector<fs::path>& files, const CallNotice& beforeCalls) {
    std::unique_lock lock(m_mutex);
    for (std::size_t i = 0; i < files.size(); ++i) {
        TryLoad(files[i], i, beforeCalls);
    }
    RemoveDuplicates(beforeCalls);
}

void DriverTable::Scan(const fs::path& folder, std::vector<fs::path>& visited,
                       std::vector<fs::path>& found) {
    // A folder reached twice (through a link) would be scanned forever.
    std::error_code error;
    const fs::path identity = fs::canonical(folder, error);
    if (error || std::find(visited.begin(), visited.end(), identity) != visited.end()) {
        return;
    }
    visited.push_back(identity);

    fs::directory_iterator entries(folder, error);
    if (error) {
        return;
    }
    for (const fs::directory_entry& entry : entries) {
        const std::string name = PathToUtf8(entry.path().filename());
        if (entry.is_directory(error)) {
            if (!name.starts_with(".")) {
                Scan(entry.path(), visited, found);
            }
            continue;
        }
        if (HasSharedLibrarySuffix(name)) {
            found.push_back(entry.path());
        }
    }
}

void DriverTable::TryLoad(const fs::path& file, std::size_t source, const CallNotice& notice) {
    if (notice) {
        notice(source);
    }
    auto library = SharedLibrary::Open(file);
    if (!library) {
        return;
    }
    if (auto setApp = AsFunction<VLSetAppFunction>(library->Find("VLSetApp"))) {
        setApp(const_cast<VLHostInfo*>(&kHostInfo), 0);
    }
    const auto init = AsFunction<VLInitFunction>(library->Find("VLInit"));
    if (init == nullptr || static_cast<int>(m_drivers.size()) >= kMaxDrivers) {
        return;
    }
    auto driver = std::make_unique<Driver>();
    driver->descriptor.versionMajor = 1;
    driver->descriptor.versionMinor = 0;
    if ((init(&driver->descriptor, static_cast<int>(kVLDescriptorSize)) & 0xFF) == 0) {
        return;
    }
    Terminate(driver->descriptor.name);
    for (int i = 0; i < kVLEntryCount; ++i) {
        Terminate(driver->descriptor.entries[i].exportName);
        void* address = library->Find(driver->descriptor.entries[i].exportName);
        driver->entries[i] = address != nullptr ? address : kStub;
    }
    // An entry 6 that names a data object would be called as a function at the first record.
    if (driver->entries[kVLConvertEntry] == kStub ||
        !library->HoldsCodeAt(driver->entries[kVLConvertEntry])) {
        return;
    }
    driver->convert = AsFunction<VLConvertRecordFunction>(driver->entries[kVLConvertEntry]);
    driver->exit = AsFunction<VLExitFunction>(library->Find("VLExit"));
    driver->library = std::move(*library);
    driver->source = source;
    m_drivers.push_back(std::move(driver));
}

void DriverTable::RemoveDuplicates(const CallNotice& notice) {
    for (std::size_t i = 0; i < m_drivers.size();) {
        const auto same = std::find_if(m_drivers.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       m_drivers.end(), [&](const auto& other) {
                                           return std::strcmp(other->descriptor.name,
                                                              m_drivers[i]->descriptor.name) == 0;
                                       });
        if (same == m_drivers.end()) {
            ++i;
            continue;
        }
        // The descriptor is packed: its version fields are read by value, never referenced.
        const std::uint32_t keptMajor = m_drivers[i]->descriptor.versionMajor;
        const std::uint32_t keptMinor = m_drivers[i]->descriptor.versionMinor;
        const std::uint32_t otherMajor = (*same)->descriptor.versionMajor;
        const std::uint32_t otherMinor = (*same)->descriptor.versionMinor;
        const bool keepFirst =
            keptMajor != otherMajor ? keptMajor > otherMajor : keptMinor >= otherMinor;
        const auto dropped = keepFirst ? same : m_drivers.begin() + static_cast<std::ptrdiff_t>(i);
        if (notice) {
            notice((*dropped)->source);
        }
        Release(**dropped);
        m_drivers.erase(dropped);
    }
}

void DriverTable::Release(Driver& driver) {
    if (driver.exit != nullptr) {
        driver.exit(0, 0);
    }
    driver.convert = nullptr;
    driver.exit = nullptr;
    driver.entries.fill(nullptr);
    driver.library.Close();
}

void DriverTable::UnloadDrivers() {
    std::unique_lock lock(m_mutex);
    for (auto& driver : m_drivers) {
        Release(*driver);
    }
    m_drivers.clear();
}

int DriverTable::FindDriver(const std::string& type) const {
    std::shared_lock lock(m_mutex);
    return FindLocked(type);
}

int DriverTable::ConvertRecord(int index, VLRecordBlock& block) const {
    std::shared_lock lock(m_mutex);
    return ConvertLocked(index, block);
}

int DriverTable::FindLocked(const std::string& type) const {
    for (std::size_t i = 0; i < m_drivers.size(); ++i) {
        // The name ends at its NUL; a type with a NUL inside matches no driver.
        if (type.size() == std::strlen(m_drivers[i]->descriptor.name) &&
            std::memcmp(type.data(), m_drivers[i]->descriptor.name, type.size()) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DriverTable::ConvertLocked(int index, VLRecordBlock& block) const {
    if (index < 0 || index >= static_cast<int>(m_drivers.size())) {
        return 0;
    }
    try {
        return m_drivers[index]->convert(&block, static_cast<int>(sizeof(VLRecordBlock)));
    } catch (...) {
        // An exception must not cross into the conversion thread; it is a call that failed.
        return 0;
    }
}

int DriverTable::Count() const {
    std::shared_lock lock(m_mutex);
    return static_cast<int>(m_drivers.size());
}

std::string DriverTable::Name(int index) const {
    std::shared_lock lock(m_mutex);
    return m_drivers.at(index)->descriptor.name;
}

std::size_t DriverTable::Library(int index) const {
    std::shared_lock lock(m_mutex);
    return m_drivers.at(index)->source;
}

}  // namespace zep
