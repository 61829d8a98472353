#pragma once
// The meter-type drivers of the dispatch system: found below its driver folder, loaded once at
// start-up, one driver per device type, looked up by type and called for each record.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "core/worker_report.h"
#include "platform/dispatch_values.h"
#include "platform/shared_library.h"
#include "sdk/vl_driver.h"

namespace zep {

// The driver folder of the dispatch-system values; nullopt, with the line
// "$04Не найден путь к папке драйверов." posted to the upper pane and what is known of why (the
// configuration file in UTF-16, the system's reason), when it is not configured or cannot be
// listed.
std::optional<std::filesystem::path> DriverFolder(WorkerReport& report,
                                                  const DispatchValues& values);
// "Загружен драйвер '%s'." for a driver name (Windows-1251 bytes).
std::string DriverLoadedLine(const std::string& name);

class DriverTable {
public:
    static constexpr int kMaxDrivers = 100;
    // Told the index (in the list loaded) of the library about to be called.
    using CallNotice = std::function<void(std::size_t library)>;

    DriverTable() = default;
    DriverTable(const DriverTable&) = delete;
    DriverTable& operator=(const DriverTable&) = delete;
    ~DriverTable() { UnloadDrivers(); }

    // Reads the driver folder from the dispatch-system values, loads every driver below it and
    // logs each loaded one to the upper pane ("$04Не найден путь к папке драйверов." when the
    // folder is not configured, with the reason when it cannot be listed). Call once, before
    // any conversion runs.
    void LoadDrivers(WorkerReport& report, const DispatchValues& values);
    // The same for a folder given directly (tools and benches).
    void LoadDriversFrom(WorkerReport& report, const std::filesystem::path& folder);

    // The libraries below the folder that are tried, in the order they are found; nothing is
    // loaded.
    static std::vector<std::filesystem::path> ListLibraries(const std::filesystem::path& folder);
    // Loads the libraries in the order given (at most kMaxDrivers are taken), then removes the
    // duplicates, without a line. Before each call into a library (VLSetApp and VLInit, the
    // VLExit of a dropped duplicate) the notice names it, so that a library that never
    // returns can be told.
    void LoadLibraries(const std::vector<std::filesystem::path>& files,
                       const CallNotice& beforeCalls = {});

    // Index of the first driver whose name equals the type byte for byte, or -1.
    int FindDriver(const std::string& type) const;

    // Calls VLExit of each driver and unloads it. Waits for a record call that is running;
    // calls made afterwards fail as calls that were not carried out.
    void UnloadDrivers();

    // Calls the conversion entry point of driver index with the block and its size. Returns the
    // driver's return value; 0 when there is no such driver (any more) or the driver threw.
    int ConvertRecord(int index, VLRecordBlock& block) const;

    // Holds the drivers loaded for a run of calls from one thread (a conversion of one file):
    // unloading waits until the scope ends, and the calls inside need no locking of their own.
    class CallScope {
    public:
        explicit CallScope(const DriverTable& table) : m_table(table), m_lock(table.m_mutex) {}
        int FindDriver(const std::string& type) const { return m_table.FindLocked(type); }
        int ConvertRecord(int index, VLRecordBlock& block) const {
            return m_table.ConvertLocked(index, block);
        }

    private:
        const DriverTable& m_table;
        std::shared_lock<std::shared_mutex> m_lock;
    };

    int Count() const;
    // Name (Windows-1251 bytes) of driver index; index must be valid.
    std::string Name(int index) const;
    // Index of driver index's library in the list it was loaded from; index must be valid.
    std::size_t Library(int index) const;

private:
    struct Driver {
        SharedLibrary library;
        std::size_t source = 0;  // index in the list of libraries loaded
        VLDriverDescriptor descriptor{};
        std::array<void*, kVLEntryCount> entries{};
        VLConvertRecordFunction convert = nullptr;
        VLExitFunction exit = nullptr;
    };

    static void Scan(const std::filesystem::path& folder,
                     std::vector<std::filesystem::path>& visited,
                     std::vector<std::filesystem::path>& found);
    void TryLoad(const std::filesystem::path& file, std::size_t source, const CallNotice& notice);
    void RemoveDuplicates(const CallNotice& notice);
    static void Release(Driver& driver);
    int FindLocked(const std::string& type) const;
    int ConvertLocked(int index, VLRecordBlock& block) const;

    mutable std::shared_mutex m_mutex;  // record calls (shared) against unloading (exclusive)
    std::vector<std::unique_ptr<Driver>> m_drivers;
};

}  // namespace zep
