// The Kolvar device exchange: raise the line to 57600 bit/s, learn the number and sizes of the
// records, then from the last record to the first: download in CRC-checked chunks, save as an
// assembled archive (".bin"), delete on the device if asked. Going backwards means a deletion
// never renumbers a record still to be read.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/crc16.h"
#include "core/worker_lines.h"
#include "link/archive_intake.h"
#include "link/exchanges.h"
#include "link/kolvar_archive.h"
#include "link/kolvar_routines.h"
#include "link/line_speed.h"
#include "link/stoppable_line.h"

namespace zep {

namespace {

constexpr std::uint32_t kReadTimeoutMs = 500;
constexpr std::size_t kReplySize = 31;  // 30 characters, prompt included
// Waiting for "EXIT\r" to leave the port is bounded: a stalled line must not hold the worker.
constexpr int kMaxDrainMs = 5000;

// Bound of the byte total used for progress, so that percentages cannot overflow.
constexpr std::int64_t kMaxTotal = INT64_MAX / 128;

constexpr const char* kRecordReadError = "$04Ошибка считывания записи";

class KolvarSession {
public:
    KolvarSession(const WorkerParams& params, SerialPort& serial, const WorkerEnvironment& env)
        : m_env(env),
          m_delete(params.deleteData),
          m_serial(serial, env.stop, env.clock),
          m_deletion(serial, env.stop, env.clock, kDeletionGraceMs),
          m_line{m_serial, params.port},
          m_deletionLine{m_deletion, params.port},
          m_intake(params, env) {}

    void Run() {
        Log("Kolvar");
        SerialPort& serial = m_line.serial;
        const int savedSpeed = serial.PortGetSpeed(m_line.port);
        std::uint32_t savedTotal = kNeverWait;
        std::uint32_t savedInterval = 1;
        serial.PortGetReadTimeouts(m_line.port, savedTotal, savedInterval);
        serial.PortSetReadTimeouts(m_line.port, kReadTimeoutMs, kReadTimeoutMs);
        Log("!!!");
        KolvarSend(m_line, "SET BAUDRATE " + std::to_string(kFastSpeed) + "\r");
        m_env.clock.SleepMs(1000);
        serial.PortSetSpeed(m_line.port, kFastSpeed);
        serial.PortFlush(m_line.port, 2);

        if (ReadSizes()) {
            ReadRecords();
        }
        if (m_serial.CutShort() || m_deletion.CutShort()) {
            Log(kSessionCutLine);
        }

        KolvarSend(m_line, "EXIT\r");
        m_intake.ReportKnown();
        Log(kImportDoneLine);
        for (int waited = 0; waited < kMaxDrainMs && serial.PortOutputPending(m_line.port) > 0;
             ++waited) {
            m_env.clock.SleepMs(1);
        }
        serial.PortSetSpeed(m_line.port, savedSpeed);
        serial.PortSetReadTimeouts(m_line.port, savedTotal, savedInterval);
    }

private:
    bool ReadSizes() {
        std::array<char, kReplySize> reply{};
        long count = 0;
        if (KolvarCommand(m_line, "GET RECORDS\r", reply) != LineResult::Ok ||
            KolvarParseLong(reply.data(), "RECORDS=", count) != LineResult::Ok || count <= 0) {
            Fail("$04Ошибка получения числа записей или записей нет");
            return false;
        }
        // Filled as the device answers, so a garbled count costs no memory up front.
        for (long r = 0; r < count; ++r) {
            long size = 0;
            const std::string command = "GET RECSIZE " + std::to_string(r) + "\r";
            if (m_serial.Stopped() || KolvarCommand(m_line, command, reply) != LineResult::Ok ||
                KolvarParseLong(reply.data(), "RECSIZE=", size) != LineResult::Ok || size <= 0) {
                Fail("$04Ошибка считывания размера записи.");
                Fail("$04Ошибка получения размера записи");
                m_sizes.clear();
                return false;
            }
            m_sizes.push_back(size);
            m_total = size > kMaxTotal - m_total ? kMaxTotal : m_total + size;
        }
        return true;
    }

    void ReadRecords() {
        for (auto recordNumber = static_cast<long>(m_sizes.size()) - 1;
             recordNumber >= 0 && !m_serial.Stopped(); --recordNumber) {
            Log("Считывание записи #" + std::to_string(recordNumber + 1) + " ...");
            std::vector<std::uint8_t> record;
            if (!Download(recordNumber, record)) {
                Fail(kRecordReadError);
                return;
            }
            m_done += m_sizes[static_cast<std::size_t>(recordNumber)];
            if (!SaveAndDelete(recordNumber, record)) {
                return;
            }
        }
    }

    // The record arrives complete, in order, with a good status; and it is one an assembled
    // archive can hold (records outside those bounds are not downloaded at all).
    bool Download(long recordNumber, std::vector<std::uint8_t>& record) {
        const long size = m_sizes[static_cast<std::size_t>(recordNumber)];
        if (size < kKolvarMinRecordSize || size > kKolvarMaxRecordSize) {
            return false;
        }
        record.assign(static_cast<std::size_t>(size), 0);
        KolvarFrame frame;
        KolvarSend(m_line, "DOWNLOAD " + std::to_string(recordNumber) + " 0 " +
                               std::to_string(size) + "\r");
        long received = 0;
        while (received < size) {
            if (KolvarReadFrame(m_line, frame) != LineResult::Ok ||
                frame.record != (recordNumber & 0xFFFF) ||
                frame.endOffset != ((received + frame.length) & 0xFFFF) ||
                received + frame.length > size) {
                break;
            }
            std::copy(frame.Data().begin(), frame.Data().end(), record.begin() + received);
            received += frame.length;
            m_env.report.SetBar1(static_cast<int>((m_done + received) * 100 / m_total),
                                 std::nullopt);
        }
        return received == size && frame.status == 0;
    }

    // False when no further records are to be processed.
    bool SaveAndDelete(long recordNumber, const std::vector<std::uint8_t>& record) {
        const std::vector<std::uint8_t> archive = BuildKolvarArchive(record);
        bool mayDelete = true;
        const SaveOutcome saved = m_intake.Take(archive, ".bin");
        switch (saved.result) {
            case SaveResult::WriteFailed:
                Log(kWriteErrorLine);
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
                return true;  // the record stays on the device
            case SaveResult::CreateFailed:
                Log(kWriteErrorLine);
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
                return false;
            case SaveResult::NameNotOnDisk:
                mayDelete = false;
                break;
            case SaveResult::Saved:
            case SaveResult::Known:
                break;
        }
        if (!m_delete) {
            return true;
        }
        Log("Удаление обработанной записи");
        std::array<char, kReplySize> reply{};
        if (!mayDelete ||
            KolvarCommand(m_deletionLine, "DELETE RECORD " + std::to_string(recordNumber) + "\r",
                          reply) != LineResult::Ok) {
            Log("$04Ошибка удаления записи");
            // Why the name of the saved file is not sure to be on disk, when that kept it.
            LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
            return false;
        }
        return true;
    }

    void Log(std::string line) { m_env.report.LogUpper(std::move(line)); }

    // A failure that a stop request caused is not the device's: the session-cut line says it.
    void Fail(const char* line) {
        if (!m_serial.Stopped()) {
            Log(line);
        }
    }

    const WorkerEnvironment& m_env;
    const bool m_delete;
    // Every step gives way to a stop request at once, but the answer to a deletion.
    StoppableLine m_serial;
    StoppableLine m_deletion;
    KolvarLine m_line;
    KolvarLine m_deletionLine;
    ArchiveIntake m_intake;
    std::vector<long> m_sizes;
    std::int64_t m_total = 0;
    std::int64_t m_done = 0;
};

}  // namespace

void KolvarExchange(const WorkerParams& params, SerialPort& port, const WorkerEnvironment& env) {
    WorkerLockHold hold(env.lock);
    KolvarProcessState().port = params.port;
    KolvarSession(params, port, env).Run();
}

}  // namespace zep
