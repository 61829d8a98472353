// The one place where the controller meets the real subsystems.
#include "app/worker_threads.h"

#include "app/session_recorder.h"
#include "app/worker_thread.h"
#include "convert/conversion_worker.h"
#include "convert/driver_host.h"
#include "convert/driver_host_main.h"
#include "core/stop_request.h"
#include "core/worker_environment.h"
#include "link/exchanges.h"
#include "link/session_tape.h"
#include "media/drive_watcher.h"
#include "media/media_import_worker.h"
#include "platform/dispatch_values.h"
#include "platform/exit_signals.h"
#include "platform/program_path.h"
#include "platform/serial_device_map.h"
#include "platform/serial_port_factory.h"
#include "platform/time_base.h"

namespace zep {

namespace {

class DriveTableWatch final : public DriveWatch {
public:
    void Rescan() override { RescanDrives(&m_table, kCardFolderName); }
    void Clear() override { m_table.count = 0; }
    std::optional<std::filesystem::path> FindNewCardFolder() override {
        return ::zep::FindNewCardFolder(m_table);
    }
    void Rearm(int k) override {
        if (k >= 0 && k < m_table.count) {
            m_table.entries[k].present = false;
        }
    }
    std::vector<Drive> Drives() const override {
        std::vector<Drive> drives;
        for (int i = 0; i < m_table.count && i < RemovableDriveTable::kCapacity; ++i) {
            drives.push_back({m_table.entries[i].root, m_table.entries[i].present});
        }
        return drives;
    }

private:
    RemovableDriveTable m_table;
};

RecordingHeader SessionHeader(Exchange exchange, const WorkerParams& params, Clock& clock) {
    RecordingHeader header;
    header.device = exchange == Exchange::Zep      ? RecordedDevice::Zep
                    : exchange == Exchange::Tessal ? RecordedDevice::Tessal
                                                   : RecordedDevice::Kolvar;
    header.deleteData = params.deleteData;
    header.port = params.port;
    header.hoursWest = StandardOffsetHoursWest();
    header.startUtc = static_cast<std::int64_t>(clock.Now());
    return header;
}

class ThreadedSubsystems final : public Subsystems {
public:
    ThreadedSubsystems(WorkerLock& lock, Clock& clock, std::filesystem::path programFolder,
                       ImportHistory& history, std::chrono::seconds driverTimeout)
        : m_lock(lock),
          m_clock(clock),
          m_programFolder(std::move(programFolder)),
          m_history(history),
          m_values(DispatchValues::Installed()),
          // The executable the program is known by: under the Linux window that is the lean
          // launcher, which runs the host without the toolkit.
          m_drivers({ExecutablePath(),
                     {kDriverHostOption},
                     driverTimeout,
                     [] { return ExitSignalReceived(); }}),
          m_recorder(m_programFolder),
          m_worker(lock) {}

    void LoadDrivers(WorkerReport& report) override { m_drivers.LoadDrivers(report, m_values); }
    void UnloadDrivers() override { m_drivers.UnloadDrivers(); }

    void StartConversion(WorkerReport& report, std::atomic<int>& convertBusy,
                         const std::atomic<bool>& saveBin) override {
        m_conversion = std::make_unique<ConversionWorker>(
            ConversionWorker::Config{m_programFolder, m_values, report, m_drivers, convertBusy,
                                     saveBin, m_clock, &m_history});
        m_conversion->Start();
    }

    void StopConversionAfterFile() override {
        if (m_conversion) {
            m_conversion->RequestStop();
        }
    }

    void StopWorkers() override {
        if (m_conversion) {
            m_conversion->Stop();
        }
        m_worker.Join();
        // Its failure line must reach the window before the window goes.
        m_recorder.Drain();
    }

    void StartExchange(Exchange exchange, const WorkerParams& params, SerialPort& serial,
                       WorkerReport& report) override {
        m_worker.Start([this, exchange, params, &serial, &report] {
            // Every session is recorded (the folder "sessions"): the exchange is handed the
            // recording's port, clock, report and stop request, which pass everything through.
            const RecordingHeader header = SessionHeader(exchange, params, m_clock);
            const auto output = m_recorder.Begin(header, report);
            SessionTape tape(header, serial, m_clock, report, *output, m_stop);
            WorkerEnvironment env{tape.Report(),   tape.SessionClock(), m_lock,
                                  m_programFolder, tape.Stop(),         &m_history};
            env.rawFiles = &tape.Files();
            switch (exchange) {
                case Exchange::Tessal:
                    TessalExchange(params, tape.Port(), env);
                    break;
                case Exchange::Kolvar:
                    KolvarExchange(params, tape.Port(), env);
                    break;
                case Exchange::Zep:
                    ZepExchange(params, tape.Port(), env);
                    break;
            }
            tape.End();
        });
    }

    void StartCardImport(const WorkerParams& params, WorkerReport& report) override {
        m_worker.Start([this, params, &report] {
            MediaImportWorker(params, WorkerEnvironment{report, m_clock, m_lock, m_programFolder,
                                                        m_stop, &m_history});
        });
    }

    void RequestWorkerStop() override { m_stop.Request(); }

    void TessalClose(SerialPort& serial, WorkerReport& report) override {
        ::zep::TessalClose(serial, report, m_clock);
    }

    std::optional<std::vector<int>> SerialPortNumbers() override {
        std::vector<int> numbers;
        for (const auto& device : ListSerialDevices()) {
            numbers.push_back(device.number);
        }
        return numbers;
    }

private:
    WorkerLock& m_lock;
    Clock& m_clock;
    std::filesystem::path m_programFolder;
    ImportHistory& m_history;
    DispatchValues m_values;
    DriverHost m_drivers;
    std::unique_ptr<ConversionWorker> m_conversion;
    SessionRecorder m_recorder;
    StopRequest m_stop;
    // Declared last, so it is joined first: no worker outlives what it uses.
    WorkerThread m_worker;
};

}  // namespace

RealParts CreateRealParts(WorkerLock& lock, Clock& clock,
                          const std::filesystem::path& programFolder, ImportHistory& history,
                          std::chrono::seconds driverTimeout) {
    RealParts parts;
    parts.serial = CreateSerialPort();
    parts.drives = std::make_unique<DriveTableWatch>();
    parts.subsystems =
        std::make_unique<ThreadedSubsystems>(lock, clock, programFolder, history, driverTimeout);
    return parts;
}

}  // namespace zep
