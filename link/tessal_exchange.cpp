// The Tessal collector exchange: raise the line to 57600 bit/s, check the program version,
// then archive by archive: volumes read in CRC-checked frames, gathered into one ".bin" raw
// file, and the archive marked as read on the collector if asked.
#include <algorithm>
#include <string>
#include <vector>

#include "core/bounded_buffer.h"
#include "core/crc16.h"
#include "core/worker_lines.h"
#include "link/archive_intake.h"
#include "link/exchanges.h"
#include "link/line_speed.h"
#include "link/stoppable_line.h"
#include "link/tessal_routines.h"

namespace zep {

namespace {

constexpr std::size_t kVolumeCapacity = 32768;
// An archive of more volumes than this (64 MiB of buffer, far beyond any collector's memory)
// is taken for a garbled reply rather than allocated.
constexpr long long kMaxVolumes = 2048;
constexpr float kOldestVersion = 0.55f;
constexpr float kFilledHeadersVersion = 0.96f;  // from here the collector fills empty fields
constexpr int kHeaderFieldsChecked = 5;

constexpr const char* kReject = "Error";
constexpr char kPrompt = '>';

constexpr const char* kVolumeReadError = "$04Ошибка считывания архивного тома.";

// Old collector programs leave empty header strings empty; later ones put '?' there.
void FillEmptyHeaderFields(std::span<std::uint8_t> data) {
    std::size_t at = 2;  // the first header string, behind H
    for (int field = 0; field < kHeaderFieldsChecked; ++field) {
        while (at < data.size() && data[at] != 0) {
            ++at;
        }
        ++at;  // past the terminator: the next string
        if (at >= data.size()) {
            return;
        }
        if (data[at] == 0) {
            data[at] = '?';
        }
    }
}

class TessalSession {
public:
    TessalSession(const WorkerParams& params, SerialPort& serial, const WorkerEnvironment& env)
        : m_env(env),
          m_delete(params.deleteData),
          m_serial(serial, env.stop, env.clock),
          m_marking(serial, env.stop, env.clock, kDeletionGraceMs),
          m_line(m_serial, params.port, env.clock, env.report),
          m_intake(params, env) {}

    void Run() {
        if (RaiseSpeed() && CheckDevice()) {
            ReadArchives();
        }
        if (m_serial.CutShort() || m_marking.CutShort()) {
            Log(kSessionCutLine);
        }
    }

    void ReportKnown() const { m_intake.ReportKnown(); }

private:
    bool RaiseSpeed() {
        TessalSend(m_line, "set baudrate " + std::to_string(kFastSpeed) + " 5\r\n");
        m_env.clock.SleepMs(100);
        if (m_line.serial.PortSetSpeed(m_line.port, kFastSpeed) != 0) {
            Log(SpeedErrorLine(kFastSpeed));
            return false;
        }
        return true;
    }

    bool CheckDevice() {
        m_env.clock.SleepMs(400);
        if (Command(std::nullopt, "BaudRate=") != LineResult::Ok) {
            return Fail("$04Ошибка изменения скорости.");
        }
        if (Command("version\r\n", "Version=") != LineResult::Ok) {
            return Fail("$04Ошибка считывания версии.");
        }
        TessalParseReal(m_line.ReplyText(), "Version=", m_version);
        if (m_version < kOldestVersion) {
            return Fail("$04Устаревшая версия 'Tessal', обновите программу.");
        }
        if (Command("get records\r\n", "Records=") != LineResult::Ok) {
            return Fail("$04Ошибка считывания числа записей.");
        }
        TessalParseInt(m_line.ReplyText(), "Records=", m_records);
        if (m_records == 0) {
            return Fail("$04Данные не считаны, база данных в ZEP пуста.");
        }
        return m_records > 0;
    }

    void ReadArchives() {
        long long start = 0;
        while (start < m_records && !m_serial.Stopped()) {
            Log("Считывание архива #" + std::to_string(start + 1) + " ...");
            m_line.FormatCommand("get volumes %lld\r\n", start);
            if (Command(m_line.Command(), "Volumes=") != LineResult::Ok) {
                Fail("$04Ошибка считывания числа томов архива.");
                return;
            }
            int volumes = 0;
            TessalParseInt(m_line.ReplyText(), "Volumes=", volumes);
            std::vector<std::uint8_t> archive;
            if (!Allocate(archive, volumes)) {
                Log("$04Недостаточно памяти для импорта данных");
                return;
            }
            std::size_t length = 0;
            for (int i = 0; i < volumes; ++i) {
                if (m_serial.Stopped() || !ReadVolume(start, i, archive, length)) {
                    return;
                }
            }
            if (!SaveArchive(start, std::span(archive).first(length))) {
                return;
            }
            start += volumes;
        }
    }

    static bool Allocate(std::vector<std::uint8_t>& archive, int volumes) {
        constexpr auto kCapacity = static_cast<std::int64_t>(kVolumeCapacity);
        return volumes > 0 && ResizeWithin(archive, volumes * kCapacity, kMaxVolumes * kCapacity);
    }

    // Reads volume i of the archive at start and appends its data to the archive.
    bool ReadVolume(long long start, int i, std::vector<std::uint8_t>& archive,
                    std::size_t& length) {
        const long long record = start + i;
        m_line.FormatCommand("get recsize %lld\r\n", record);
        if (Command(m_line.Command(), "RecSize=") != LineResult::Ok) {
            return Fail("$04Ошибка считывания размера архивного тома.");
        }
        int volumeSize = 0;
        TessalParseInt(m_line.ReplyText(), "RecSize=", volumeSize);
        m_line.FormatCommand("download volume %lld %lld\r\n", start, i);
        const auto first = static_cast<int>(record * 100 / m_records);
        const auto last = static_cast<int>((record + 1) * 100 / m_records);
        if (TessalReadVolume(m_line, m_line.Command(), first, last) != LineResult::Ok) {
            return Fail(kVolumeReadError);
        }
        const std::span<std::uint8_t> data = m_line.VolumeData();
        if (m_version < kFilledHeadersVersion) {
            FillEmptyHeaderFields(data);
        }
        // Only volume 0 keeps its header (H and the header strings).
        std::size_t skip = 0;
        if (i > 0 && data.size() >= 2) {
            skip = (ReadBe16(data.data()) + 2u) % 65536u;
        }
        // The announced size must describe data that actually arrived.
        const long long count =
            static_cast<long long>(volumeSize) - 4 - static_cast<long long>(skip);
        if (count < 0 || skip + static_cast<std::size_t>(count) > data.size() ||
            length + static_cast<std::size_t>(count) > archive.size()) {
            Log(kVolumeReadError);
            return false;
        }
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(skip), count,
                    archive.begin() + static_cast<std::ptrdiff_t>(length));
        length += static_cast<std::size_t>(count);
        return true;
    }

    // False when no file can be made: the exchange ends.
    bool SaveArchive(long long start, std::span<const std::uint8_t> content) {
        bool mayMark = true;
        const SaveOutcome saved = m_intake.Take(content, ".bin");
        switch (saved.result) {
            case SaveResult::WriteFailed:
                Log(kWriteErrorLine);
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
                return true;
            case SaveResult::CreateFailed:
                Log(kWriteErrorLine);
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
                return false;
            case SaveResult::NameNotOnDisk:
                mayMark = false;
                break;
            case SaveResult::Saved:
            case SaveResult::Known:
                break;
        }
        if (m_delete) {
            // The answer to the marking of a saved archive is still waited for a moment after a
            // stop request: without the mark the archive would come again.
            TessalLine marking(m_marking, m_line.port, m_env.clock, m_env.report);
            marking.FormatCommand("delete archive %lld 1\r\n", start);
            if (!mayMark || TessalCommand(marking, marking.Command(), "OK", kReject, kPrompt) !=
                                LineResult::Ok) {
                Log("$04Ошибка маркирования считанного архива.");
                // Why the name of the saved file is not sure to be on disk, when that kept it.
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
            }
        }
        return true;
    }

    LineResult Command(std::optional<std::string_view> command, std::string_view expect) {
        return TessalCommand(m_line, command, expect, kReject, kPrompt);
    }

    // A failure that a stop request caused is not the device's: the session-cut line says it.
    bool Fail(const char* line) {
        if (!m_serial.Stopped()) {
            Log(line);
        }
        return false;
    }

    void Log(std::string line) { m_env.report.LogUpper(std::move(line)); }

    const WorkerEnvironment& m_env;
    const bool m_delete;
    StoppableLine m_serial;
    StoppableLine m_marking;
    TessalLine m_line;
    ArchiveIntake m_intake;
    float m_version = 0.0f;
    int m_records = 0;
};

}  // namespace

void TessalExchange(const WorkerParams& params, SerialPort& port, const WorkerEnvironment& env) {
    WorkerLockHold hold(env.lock);
    TessalState& state = TessalProcessState();
    state.port = params.port;
    state.savedSpeed = port.PortGetSpeed(params.port);
    TessalSession session(params, port, env);
    session.Run();
    TessalClose(port, env.report, env.clock);
    session.ReportKnown();
    env.report.LogUpper(kImportDoneLine);
}

void TessalClose(SerialPort& port, WorkerReport& report, Clock& clock) {
    const TessalState& state = TessalProcessState();
    if (state.port == 0) {
        return;  // no Tessal exchange since start-up: no line of ours to put back
    }
    TessalLine line(port, state.port, clock, report);
    TessalSend(line, "exit\r\n");
    clock.SleepMs(100);
    if (port.PortSetSpeed(state.port, state.savedSpeed) != 0) {
        report.LogUpper(SpeedErrorLine(state.savedSpeed));
    }
}

}  // namespace zep
