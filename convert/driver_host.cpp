// The program's side of the driver host: starting and restarting it, loading the drivers there
// library by library until none breaks it, and each conversion's request, lines and text, with
// every wait bounded and every frame checked.
#include "convert/driver_host.h"

#include <algorithm>

#include "convert/conversion_lines.h"
#include "convert/driver_host_lines.h"
#include "convert/driver_table.h"
#include "convert/raw_archive_reader.h"
#include "core/path_text.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

using SteadyClock = std::chrono::steady_clock;

// Starting the host and taking a request involve no driver: a host that needs longer than this
// for either is broken, whatever the driver time-out.
constexpr auto kHostStartLimit = std::chrono::seconds(60);
// How often a wait looks at the stop request.
constexpr auto kStopCheck = std::chrono::milliseconds(100);
// The longest wait when nothing else bounds it; a wait is taken up again after it.
constexpr auto kLongWait = std::chrono::hours(1);
constexpr std::size_t kSmallestRead = 64 * 1024;
constexpr std::size_t kLargestRead = 1024 * 1024;

// A table the host cannot have loaded from the list it was given is a broken exchange.
bool Plausible(const std::vector<LoadedDriver>& drivers, std::size_t libraries) {
    if (drivers.size() > static_cast<std::size_t>(DriverTable::kMaxDrivers)) {
        return false;
    }
    return std::all_of(drivers.begin(), drivers.end(), [libraries](const LoadedDriver& driver) {
        return driver.library < libraries && driver.name.size() < kVLNameSize;
    });
}

}  // namespace

DriverHost::DriverHost(Settings settings) : m_settings(std::move(settings)) {}

DriverHost::~DriverHost() {
    UnloadDrivers();
}

void DriverHost::LoadDrivers(WorkerReport& report, const DispatchValues& values) {
    if (const auto folder = DriverFolder(report, values)) {
        LoadDriversFrom(report, *folder);
    }
}

void DriverHost::LoadDriversFrom(WorkerReport& report, const fs::path& folder) {
    std::lock_guard lock(m_mutex);
    m_unloaded = false;
    EndHost();
    std::string reason;
    if (Load(report, DriverTable::ListLibraries(folder), true, m_settings.stopLoading, reason) ==
        Loading::NotStarted) {
        report.LogUpper(HostNotStartedLine(PathToUtf8(m_settings.program), reason));
    }
}

void DriverHost::UnloadDrivers() {
    std::lock_guard lock(m_mutex);
    m_unloaded = true;
    m_libraries.clear();
    m_names.clear();
    if (!m_child) {
        return;
    }
    if (Send(EncodeEmpty(HostMessage::Exit)) == Wait::Ok) {
        const auto limit =
            m_settings.timeout.count() > 0
                ? std::chrono::duration_cast<std::chrono::milliseconds>(m_settings.timeout)
                : std::chrono::duration_cast<std::chrono::milliseconds>(kLongWait);
        m_child->WaitForExit(limit);
    }
    EndHost();
}

std::vector<std::string> DriverHost::Names() const {
    std::lock_guard lock(m_mutex);
    return m_names;
}

MeterArchiveRun DriverHost::RenderMeterArchive(const fs::path& file, const std::atomic<bool>* stop,
                                               BoundedOutput& output, WorkerReport& report) {
    MeterArchiveRun archive;
    // Only when the host failed: the label and the line need the header, read here then.
    const auto readHeader = [&file, &archive] {
        RawArchiveReader reader;
        archive.opened = reader.Open(file);
        archive.type = reader.GetValue("Type");
        archive.serial = reader.GetValue("Serial");
        archive.virtualNumber = reader.GetValue("Virtual");
        return archive.type;
    };
    archive.run =
        Run({HostMessage::MeterArchive, {PathToUtf8(file), {}, 0, {}}, file, stop, readHeader},
            output, report, archive);
    return archive;
}

DriverRun DriverHost::ConvertAssembledRecords(const DriverJob& job, std::span<const std::uint8_t>,
                                              BoundedOutput& output, WorkerReport& report) {
    MeterArchiveRun unused;
    const RecordsRequest fields{PathToUtf8(job.file), job.type, job.virtualDevice,
                                std::string(output.Text())};
    return Run(
        {HostMessage::AssembledRecords, fields, job.file, job.stop, [&job] { return job.type; }},
        output, report, unused);
}

HostFault DriverHost::FaultOf(Wait wait) {
    switch (wait) {
        case Wait::Hung:
            return HostFault::Hung;
        case Wait::Garbled:
            return HostFault::Garbled;
        default:
            return HostFault::Ended;
    }
}

bool DriverHost::StartHost(std::string& reason) {
    m_frames = HostFrameSplitter{};
    m_child = ChildProcess::Start(m_settings.program, m_settings.arguments, reason);
    if (!m_child) {
        return false;
    }
    HostFrame frame{};
    const Wait wait = NextFrame(
        frame,
        SteadyClock::now() + std::max<std::chrono::seconds>(m_settings.timeout, kHostStartLimit),
        {});
    if (wait == Wait::Ok && frame.type == HostMessage::Hello &&
        DecodeHello(frame.fields) == kHostProtocolVersion) {
        return true;
    }
    reason = wait == Wait::Hung ? "процесс не ответил"
             : wait == Wait::Ok ? "процесс ответил не как процесс драйверов"
                                : "процесс завершился, не ответив";
    EndHost();
    return false;
}

bool DriverHost::HostIdle() {
    std::uint8_t unasked = 0;
    return m_child->Read(std::span(&unasked, 1), std::chrono::milliseconds(0)).state ==
           ChannelState::TimedOut;
}

void DriverHost::EndHost() {
    m_child.reset();
    m_frames = HostFrameSplitter{};
}

DriverHost::Loading DriverHost::Load(WorkerReport& report, std::vector<fs::path> libraries,
                                     bool announce, const StopCheck& stop, std::string& reason) {
    m_libraries.clear();
    m_names.clear();
    for (;;) {
        if (!m_child && !StartHost(reason)) {
            return Loading::NotStarted;
        }
        LoadRequest request;
        for (const auto& library : libraries) {
            request.libraries.push_back(PathToUtf8(library));
        }
        std::optional<std::size_t> calling;
        Deadline deadline = CallDeadline();
        HostFrame frame{};
        Wait wait = Send(EncodeLoad(request));
        while (wait == Wait::Ok && (wait = NextFrame(frame, deadline, stop)) == Wait::Ok) {
            if (frame.type == HostMessage::Calling) {
                const auto library = DecodeCalling(frame.fields);
                if (!library || *library >= libraries.size()) {
                    wait = Wait::Garbled;
                    break;
                }
                calling = *library;
                deadline = CallDeadline();
                continue;
            }
            const auto loaded =
                frame.type == HostMessage::Loaded ? DecodeLoaded(frame.fields) : std::nullopt;
            if (!loaded || !Plausible(*loaded, libraries.size())) {
                wait = Wait::Garbled;
                break;
            }
            for (const auto& driver : *loaded) {
                m_libraries.push_back(libraries[driver.library]);
                m_names.push_back(driver.name);
                if (announce) {
                    report.LogUpper(DriverLoadedLine(driver.name));
                }
            }
            return Loading::Loaded;
        }
        EndHost();
        if (wait == Wait::Stopped) {
            return Loading::Stopped;
        }
        if (!calling) {
            reason = "процесс завершился до загрузки драйверов";
            return Loading::NotStarted;
        }
        // Left out for the rest of the run; the others load in a new host.
        report.LogUpper(DriverNotLoadedLine(PathToUtf8(libraries[*calling]), FaultOf(wait),
                                            m_settings.timeout.count()));
        libraries.erase(libraries.begin() + static_cast<std::ptrdiff_t>(*calling));
    }
}

DriverRun DriverHost::Run(const Request& request, BoundedOutput& output, WorkerReport& report,
                          MeterArchiveRun& archive) {
    std::lock_guard lock(m_mutex);
    const std::string file = PathToUtf8(request.file.filename());
    if (m_unloaded) {
        report.LogUpper(kDriverCallFailedLine);
        return DriverRun::Failed;
    }
    const StopCheck stop = [&request] { return request.stop != nullptr && request.stop->load(); };
    // A host that ended, or spoke out of turn, since the last file is not this file's fault.
    if (m_child && !HostIdle()) {
        EndHost();
    }
    if (!m_child) {
        std::string reason;
        switch (Load(report, m_libraries, false, stop, reason)) {
            case Loading::Loaded:
                break;
            case Loading::NotStarted:
                report.LogLower(HostNotStartedForFileLine(request.deviceType(), file, reason));
                return DriverRun::SetAside;
            case Loading::Stopped:
                report.LogUpper(ConversionStoppedLine(file));
                return DriverRun::Stopped;
        }
    }
    const Deadline deadline = CallDeadline();
    HostFrame frame{};
    bool rendered = false;
    Wait wait = Send(EncodeRecords(request.type, request.fields));
    while (wait == Wait::Ok && (wait = NextFrame(frame, deadline, stop)) == Wait::Ok) {
        if (!Deliver(frame, request.fields.prefix.size(), output, report, archive, rendered)) {
            wait = Wait::Garbled;
        } else if (rendered) {
            return archive.run;
        }
    }
    EndHost();
    if (wait == Wait::Stopped) {
        report.LogUpper(ConversionStoppedLine(file));
        return DriverRun::Stopped;
    }
    report.LogLower(
        HostFaultLine(request.deviceType(), file, FaultOf(wait), m_settings.timeout.count()));
    return DriverRun::SetAside;
}

bool DriverHost::Deliver(const HostFrame& frame, std::size_t prefixSize, BoundedOutput& output,
                         WorkerReport& report, MeterArchiveRun& archive, bool& rendered) {
    switch (frame.type) {
        case HostMessage::Log: {
            auto lines = DecodeLog(frame.fields);
            if (lines) {
                report.AddLogLines(std::move(lines->lower), std::move(lines->upper));
            }
            return lines.has_value();
        }
        case HostMessage::Progress: {
            const auto percent = DecodeProgress(frame.fields);
            if (percent) {
                report.SetBar2(*percent, std::nullopt);
            }
            return percent.has_value();
        }
        case HostMessage::Rendered: {
            const auto records = DecodeRendered(frame.fields);
            if (!records || records->text.size() > kVLOutputLimit - prefixSize) {
                return false;
            }
            output.Append(records->text, records->limitReached);
            archive.run = records->done ? DriverRun::Done : DriverRun::Failed;
            archive.endedCleanly = records->endedCleanly;
            archive.stopOffset = records->stopOffset;
            archive.opened = records->opened;
            archive.type = records->type;
            archive.serial = records->serial;
            archive.virtualNumber = records->virtualNumber;
            rendered = true;
            return true;
        }
        default:
            return false;
    }
}

DriverHost::Wait DriverHost::Send(const std::vector<std::uint8_t>& frame) {
    switch (m_child->Write(frame, kHostStartLimit)) {
        case ChannelState::Ready:
            return Wait::Ok;
        case ChannelState::TimedOut:
            return Wait::Hung;
        case ChannelState::Closed:
            break;
    }
    return Wait::Ended;
}

DriverHost::Wait DriverHost::NextFrame(HostFrame& frame, Deadline deadline, const StopCheck& stop) {
    for (;;) {
        if (const auto next = m_frames.Next()) {
            frame = *next;
            return Wait::Ok;
        }
        if (m_frames.Broken()) {
            return Wait::Garbled;
        }
        if (stop && stop()) {
            return Wait::Stopped;
        }
        std::chrono::milliseconds slice = stop ? kStopCheck : kLongWait;
        if (deadline) {
            const auto now = SteadyClock::now();
            if (now >= *deadline) {
                return Wait::Hung;
            }
            slice = std::min(slice, std::chrono::ceil<std::chrono::milliseconds>(*deadline - now));
        }
        const auto space =
            m_frames.Space(std::clamp(m_frames.Missing(), kSmallestRead, kLargestRead));
        const ChannelRead read = m_child->Read(space, slice);
        m_frames.Commit(read.state == ChannelState::Ready ? read.count : 0);
        if (read.state == ChannelState::Closed) {
            return Wait::Ended;
        }
    }
}

DriverHost::Deadline DriverHost::CallDeadline() const {
    if (m_settings.timeout.count() <= 0) {
        return std::nullopt;
    }
    return SteadyClock::now() + m_settings.timeout;
}

}  // namespace zep
