#pragma once
// The program's side of the driver host: the drivers loaded and called in a process of their
// own, started from the program's executable in its hidden host mode. A driver that crashes,
// ends its process or hangs then costs the raw file in hand (set aside, with a line naming the
// device type and the file) and nothing else; the next file converts in a new host. One host
// serves many files: it is started when drivers are loaded or a file needs it, and again after
// a fault, and sleeps in between. Loading runs in the host too: a library whose VLSetApp,
// VLInit or VLExit crashes, ends or hangs the host is reported and left out, and the others
// load. Every wait for the host is bounded by the driver time-out and ends early on a stop
// request.
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "convert/driver_calls.h"
#include "convert/driver_host_lines.h"
#include "convert/host_protocol.h"
#include "platform/child_process.h"
#include "platform/dispatch_values.h"

namespace zep {

class DriverHost final : public DriverCalls {
public:
    struct Settings {
        std::filesystem::path program;       // the executable with the host mode
        std::vector<std::string> arguments;  // the arguments that choose it
        // How long a driver may take for the records of one import file, or for one call while
        // loading; 0 = no limit ("DriverTimeout" of the settings file).
        std::chrono::seconds timeout{300};
        // Asked while drivers load: a request to end the program ends the load.
        std::function<bool()> stopLoading;
    };

    explicit DriverHost(Settings settings);
    DriverHost(const DriverHost&) = delete;
    DriverHost& operator=(const DriverHost&) = delete;
    ~DriverHost();

    // As DriverTable::LoadDrivers and LoadDriversFrom, with the loading in the host; the
    // libraries that make up the table are the ones every later host loads.
    void LoadDrivers(WorkerReport& report, const DispatchValues& values);
    void LoadDriversFrom(WorkerReport& report, const std::filesystem::path& folder);
    // Has the host call VLExit of every driver and end; waits for a conversion in hand. Later
    // calls fail as calls that were not carried out.
    void UnloadDrivers();
    // The names (Windows-1251) of the drivers the last host loaded, in table order.
    std::vector<std::string> Names() const;

    MeterArchiveRun RenderMeterArchive(const std::filesystem::path& file,
                                       const std::atomic<bool>* stop, BoundedOutput& output,
                                       WorkerReport& report) override;
    DriverRun ConvertAssembledRecords(const DriverJob& job, std::span<const std::uint8_t> image,
                                      BoundedOutput& output, WorkerReport& report) override;

private:
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;
    using StopCheck = std::function<bool()>;
    // How a wait for the host, or a load, ended.
    enum class Wait { Ok, Ended, Hung, Garbled, Stopped };
    enum class Loading { Loaded, NotStarted, Stopped };

    static HostFault FaultOf(Wait wait);
    // All with m_mutex held.
    bool StartHost(std::string& reason);
    // True when the host still runs and has sent nothing since its last answer.
    bool HostIdle();
    void EndHost();
    // Loads the libraries in a host (started when there is none), leaving out and reporting
    // each one whose calls break the host; the rest make up m_libraries and m_names.
    Loading Load(WorkerReport& report, std::vector<std::filesystem::path> libraries, bool announce,
                 const StopCheck& stop, std::string& reason);
    // What one request is about: the file, and its device type for the lines of a failure
    // (asked only then).
    struct Request {
        HostMessage type;
        RecordsRequest fields;
        const std::filesystem::path& file;
        const std::atomic<bool>* stop;
        std::function<std::string()> deviceType;
    };
    // Sends the request and hands on what comes back until the run is over; archive receives
    // what the host read of a meter archive.
    DriverRun Run(const Request& request, BoundedOutput& output, WorkerReport& report,
                  MeterArchiveRun& archive);
    // Hands a frame of the running conversion on; false when it does not belong to it.
    bool Deliver(const HostFrame& frame, std::size_t prefixSize, BoundedOutput& output,
                 WorkerReport& report, MeterArchiveRun& archive, bool& rendered);
    Wait Send(const std::vector<std::uint8_t>& frame);
    Wait NextFrame(HostFrame& frame, Deadline deadline, const StopCheck& stop);
    Deadline CallDeadline() const;

    Settings m_settings;
    mutable std::mutex m_mutex;
    std::optional<ChildProcess> m_child;
    HostFrameSplitter m_frames;
    std::vector<std::filesystem::path> m_libraries;  // what every new host loads
    std::vector<std::string> m_names;
    bool m_unloaded = false;
};

}  // namespace zep
