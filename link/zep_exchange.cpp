// The ZEP adapter exchange: raise the line to 57600 bit/s, then file by file: header ("="),
// data (">"), save as a raw file, delete on the adapter ("-") if asked, go on ("+").
#include <string>
#include <vector>

#include "core/bounded_buffer.h"
#include "core/worker_lines.h"
#include "link/archive_intake.h"
#include "link/exchanges.h"
#include "link/line_speed.h"
#include "link/stoppable_line.h"
#include "link/zep_routines.h"
#include "platform/cp1251.h"

namespace zep {

namespace {

constexpr std::uint32_t kReadTimeoutMs = 2000;
// Failed header and data requests allowed in one pass before it gives up.
constexpr int kAttemptBudget = 5;
constexpr int kDeleteTries = 4;
// The same name offered this many times in a row after "+": the adapter does not move on, and
// asking again would go on for ever.
constexpr int kMaxSameOffers = 3;
// Adapter files are meter archives and printer protocols of some kilobytes; a header that
// announces more than this is not believed (and not allocated).
constexpr std::int64_t kMaxFileSize = 16 * 1024 * 1024;

constexpr const char* kWriteError = "$04Ошибка записи на диск двоичного файла";

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

class ZepSession {
public:
    ZepSession(const WorkerParams& params, SerialPort& serial, const WorkerEnvironment& env)
        : m_serial(serial, env.stop, env.clock),
          m_deletion(serial, env.stop, env.clock, kDeletionGraceMs),
          m_env(env),
          m_port(params.port),
          m_delete(params.deleteData),
          m_intake(params, env) {}

    void Run() {
        const int savedSpeed = m_serial.PortGetSpeed(m_port);
        std::uint32_t savedTotal = kNeverWait;
        std::uint32_t savedInterval = 1;
        m_serial.PortWriteByte(m_port, '6');
        m_env.clock.SleepMs(10);
        if (m_serial.PortSetSpeed(m_port, kFastSpeed) != 0 ||
            m_serial.PortGetReadTimeouts(m_port, savedTotal, savedInterval) != 0 ||
            m_serial.PortSetReadTimeouts(m_port, kReadTimeoutMs, kReadTimeoutMs) != 0) {
            Log(SpeedErrorLine(kFastSpeed));
        } else {
            m_serial.PortFlush(m_port, 2);
            if (ZepWaitOkError(m_serial, m_port) == LineResult::Ok) {
                RunPasses();
            } else if (!m_serial.Stopped()) {
                Log("$04Ошибка переключения скорости ZEP");
            }
            m_serial.PortSetReadTimeouts(m_port, savedTotal, savedInterval);
        }
        if (m_serial.CutShort() || m_deletion.CutShort()) {
            Log(kSessionCutLine);
        }
        m_serial.PortWriteByte(m_port, 'x');
        m_env.clock.SleepMs(400);
        if (m_serial.PortSetSpeed(m_port, savedSpeed) != 0) {
            Log(SpeedErrorLine(savedSpeed));
        }
        m_intake.ReportKnown();
        Log(kImportDoneLine);
    }

private:
    // One pass per adapter file, until a header names no file, five header requests fail, the
    // adapter offers the same name again and again, or the program asks to end.
    void RunPasses() {
        std::string current;
        std::string previous;
        std::int64_t size = 0;
        int sameOffers = 0;
        while (!m_serial.Stopped()) {
            int attempts = 0;
            const std::string offeredBefore = current;
            const LineResult header = RequestHeader(current, size, attempts);
            if (header == LineResult::Ok && !current.empty() && current == offeredBefore &&
                ++sameOffers >= kMaxSameOffers) {
                Log("$04ZEP не переходит к следующему файлу после '" + Cp1251ToUtf8(current) +
                    "': сеанс связи прерван.");
                return;
            }
            if (current != offeredBefore) {
                sameOffers = 0;
            }
            const bool wanted = Contains(current, ".zvo") || Contains(current, ".zep");
            if (header == LineResult::Ok && wanted && current != previous) {
                if (!Download(current, size, attempts)) {
                    return;  // no raw file can be made: the exchange ends
                }
                previous = current;
            }
            if (current.empty()) {
                return;
            }
            m_serial.PortWriteByte(m_port, '+');
            if (header != LineResult::Ok) {
                return;
            }
        }
    }

    // The header of the adapter's current file, asked for until it comes or the pass's attempt
    // budget is spent.
    LineResult RequestHeader(std::string& name, std::int64_t& size, int& attempts) {
        while (true) {
            m_env.clock.SleepMs(200);
            m_serial.PortFlush(m_port, 2);
            m_serial.PortWriteByte(m_port, '=');
            if (ZepReadFileHeader(m_serial, m_port, name, size) == LineResult::Ok) {
                return LineResult::Ok;
            }
            if (++attempts >= kAttemptBudget || m_serial.Stopped()) {
                return LineResult::Failed;
            }
        }
    }

    // False only when the file could not be saved for want of a place to save it.
    bool Download(const std::string& name, std::int64_t size, int& attempts) {
        Log("Чтение файла '" + Cp1251ToUtf8(name) + "' ...");
        std::vector<std::uint8_t> buffer;
        if (!ResizeWithin(buffer, size, kMaxFileSize)) {
            Log("$04Недостаточно памяти для импорта данных");
            return true;
        }
        m_env.clock.SleepMs(100);
        m_serial.PortFlush(m_port, 2);
        while (true) {
            m_serial.PortWriteByte(m_port, '>');
            if (ZepReadBlock(m_serial, m_port, buffer, m_env.report) == LineResult::Ok) {
                return Save(name, buffer);
            }
            if (m_serial.Stopped()) {
                return true;  // not saved, so not deleted: it comes again with the next session
            }
            if (attempts >= kAttemptBudget) {
                Log("$04Ошибка чтения файла с ZEP");
            }
            if (attempts++ >= kAttemptBudget) {
                return true;
            }
        }
    }

    bool Save(const std::string& name, const std::vector<std::uint8_t>& data) {
        const std::string extension = Contains(name, ".zvo") ? ".bil" : ".bia";
        bool mayDelete = true;
        const SaveOutcome saved = m_intake.Take(data, extension);
        switch (saved.result) {
            case SaveResult::WriteFailed:
                Log(kWriteError);
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
                return true;
            case SaveResult::CreateFailed:
                Log(kWriteError);
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
                return false;
            case SaveResult::NameNotOnDisk:
                mayDelete = false;
                break;
            case SaveResult::Saved:
            case SaveResult::Known:
                break;
        }
        if (m_delete) {
            Log("Удаление файла '" + Cp1251ToUtf8(name) + "'");
            if (!mayDelete || !DeleteOnAdapter()) {
                // The file stays on the adapter and comes again with the next session: said, so
                // that the duplicate import is not a surprise.
                Log("$04Ошибка удаления файла '" + Cp1251ToUtf8(name) + "' с ZEP");
                // Why the name of the saved file is not sure to be on disk, when that kept it.
                LogReasonUpper(m_env.report, saved.reason, m_env.programFolder);
            }
        }
        return true;
    }

    bool DeleteOnAdapter() {
        for (int tries = 0; tries < kDeleteTries && !m_deletion.Stopped(); ++tries) {
            m_deletion.PortWriteByte(m_port, '-');
            if (ZepWaitOkError(m_deletion, m_port) == LineResult::Ok) {
                return true;
            }
        }
        return false;
    }

    void Log(std::string line) { m_env.report.LogUpper(std::move(line)); }

    // Every step gives way to a stop request at once, but the answer to a deletion.
    StoppableLine m_serial;
    StoppableLine m_deletion;
    const WorkerEnvironment& m_env;
    const int m_port;
    const bool m_delete;
    ArchiveIntake m_intake;
};

}  // namespace

void ZepExchange(const WorkerParams& params, SerialPort& port, const WorkerEnvironment& env) {
    WorkerLockHold hold(env.lock);
    ZepSession(params, port, env).Run();
}

}  // namespace zep
