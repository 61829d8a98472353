#pragma once
// The background thread that keeps the program folder free of raw files: once a second it
// converts each ".bia" and ".bin" file into import files, moves each ".bil" into the printer
// protocol folder, and deletes the raw file or renames it out of the way.
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "convert/driver_calls.h"
#include "core/clock.h"
#include "core/import_history.h"
#include "core/worker_report.h"
#include "platform/dispatch_values.h"
#include "platform/regular_file.h"

namespace zep {

// Where the conversion writes: the import folder ("Import" of Velmora) and the printer-protocol
// folder ("InstallTo" of Zuvo followed by "Base", the import folder when that is not set).
struct ConversionFolders {
    std::filesystem::path import;
    std::filesystem::path printer;
};
// nullopt when the import folder is not configured.
std::optional<ConversionFolders> ConversionFoldersOf(const DispatchValues& values);

// A name the conversion takes: "*.bia", "*.bin" or "*.bil", in any letter case.
bool IsRawFileName(const std::string& name);

class ConversionWorker {
public:
    struct Config {
        std::filesystem::path scanFolder;  // the program folder
        DispatchValues values;             // "Import" and "InstallTo", read once at start
        WorkerReport& report;
        DriverCalls& drivers;              // in this process or in the driver host
        std::atomic<int>& convertBusy;     // 1 while a pass works through found files
        const std::atomic<bool>& saveBin;  // keep raw files after a successful conversion
        Clock& clock;                      // time stamps of the files written
        // Where each output is recorded once it is on disk, so that a conversion cut short by
        // a crash goes on where it stopped; none: a cut conversion starts over.
        ImportHistory* history = nullptr;
    };

    explicit ConversionWorker(Config config);
    ConversionWorker(const ConversionWorker&) = delete;
    ConversionWorker& operator=(const ConversionWorker&) = delete;
    ~ConversionWorker() { Stop(); }

    // Starts the thread: configuration, then a pass once a second until Stop.
    void Start();
    // Wakes the sleep, lets the file being converted finish, and joins. Idempotent. After Stop
    // no driver call is made by this worker, so the drivers may be unloaded.
    void Stop();
    // Asks the thread to end after the file in hand without waiting for it: a pass over many
    // files ends early (the rest wait for the next start) and the busy flag drops with it.
    void RequestStop();

    // One pass on the caller's thread (configures first if needed). False when the import
    // folder is not configured; the error line is sent once. Not to be mixed with Start.
    bool RunPass();

    const std::filesystem::path& ImportFolder() const { return m_importFolder; }
    const std::filesystem::path& PrinterFolder() const { return m_printerFolder; }

private:
    enum class Setup { NotDone, Ready, Failed };
    // What a raw file holds, by the last letter of its name.
    enum class RawKind {
        None,              // not a raw file of ours: left alone
        MeterArchive,      // ".bia": a meter archive, as a ZEP file or a card's ".zep"
        AssembledArchive,  // ".bin": volumes of a Tessal archive or a Kolvar record
        PrinterProtocol,   // ".bil": a printer protocol for Zuvo
    };
    static RawKind RawKindOf(const std::string& name);

    bool Configure();
    void Run();
    void Pass();
    // The found files that were there unchanged in the previous pass as well; reports and
    // passes over what is not a plain file.
    std::vector<std::filesystem::path> SettledFiles(
        const std::vector<std::filesystem::path>& found);
    void HandleRawFile(const std::filesystem::path& path);
    // Both are done when the raw file left its name (deleted, renamed or moved), or was left
    // under it for the next start by a stop request, and fail with the reason of the last
    // attempt otherwise. The name itself says nothing afterwards: an exchange may publish a new
    // raw file under it as soon as it is free.
    SystemDone ConvertArchive(const std::filesystem::path& path, RawKind kind);
    SystemDone MovePrinterFile(const std::filesystem::path& path);
    // After a conversion: the raw file deleted, or kept under its label; done when it left its
    // name.
    SystemDone LeaveName(const std::filesystem::path& path, bool converted,
                         const std::string& label);
    // A raw file that is still present after its turn is never taken up again in this run; the
    // log says so, and why.
    void KeepOutOfLaterPasses(const std::filesystem::path& path, const SystemError& reason);

    Config m_config;
    Setup m_setup = Setup::NotDone;
    std::filesystem::path m_importFolder;
    std::filesystem::path m_printerFolder;
    std::set<std::filesystem::path> m_passedOver;
    std::map<std::filesystem::path, FileProbe> m_lastSeen;  // raw files of the previous pass

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_stopping{false};
};

}  // namespace zep
