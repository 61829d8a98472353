// Writes the session recordings on a thread of their own: the pieces into a temporary file in
// "sessions", the whole published under the session's name, then the folder trimmed.
#include "app/session_recorder.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>
#include <utility>

#include "app/recording_text.h"
#include "core/path_text.h"
#include "platform/publish_file.h"
#include "platform/time_base.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kStampLength = 14;

std::string NotSavedLine(const fs::path& folder) {
    return "$04Не удалось сохранить запись сеанса связи в папке '" + PathToUtf8(folder) + "'.";
}

// The folder of recordings is made here when missing; a link in its place is not followed, as
// no output of the program is ever written through one.
bool HaveFolder(const fs::path& folder) {
    std::error_code error;
    const auto status = fs::symlink_status(folder, error);
    if (status.type() == fs::file_type::not_found) {
        return fs::create_directory(folder, error) && !error;
    }
    return status.type() == fs::file_type::directory;
}

}  // namespace

std::string RecordingName(const RecordingHeader& header, int attempt) {
    std::string name =
        FormatLocalTime(static_cast<std::time_t>(header.startUtc), kFileStampPattern) + "-" +
        DeviceWord(header.device);
    if (attempt > 0) {
        name += "-" + std::to_string(attempt);
    }
    return name + kRecordingExtension;
}

bool IsRecordingName(const std::string& name) {
    const std::string extension = kRecordingExtension;
    return name.size() > kStampLength + 1 + extension.size() &&
           std::all_of(name.begin(), name.begin() + kStampLength,
                       [](unsigned char c) { return std::isdigit(c) != 0; }) &&
           name[kStampLength] == '-' && name.ends_with(extension);
}

struct SessionRecorder::Session {
    RecordingHeader header;
    WorkerReport* report = nullptr;
    std::optional<PendingFile> file;  // the writer thread's alone
    bool failed = false;              // under the recorder's mutex
    bool reported = false;
};

class SessionRecorder::Output final : public RecordingOutput {
public:
    Output(SessionRecorder& recorder, std::shared_ptr<Session> session)
        : m_recorder(recorder), m_session(std::move(session)) {}
    void Take(std::vector<std::uint8_t> piece) override {
        m_recorder.Push({m_session, std::move(piece), false});
    }
    void Finish() override { m_recorder.Push({m_session, {}, true}); }

private:
    SessionRecorder& m_recorder;
    std::shared_ptr<Session> m_session;
};

SessionRecorder::SessionRecorder(fs::path programFolder)
    : SessionRecorder(std::move(programFolder), Limits{}) {}

SessionRecorder::SessionRecorder(fs::path programFolder, Limits limits)
    : m_folder(std::move(programFolder) / kSessionsFolder),
      m_limits(limits),
      m_thread([this] { Run(); }) {}

SessionRecorder::~SessionRecorder() {
    {
        std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::unique_ptr<RecordingOutput> SessionRecorder::Begin(const RecordingHeader& header,
                                                        WorkerReport& report) {
    auto session = std::make_shared<Session>();
    session->header = header;
    session->report = &report;
    return std::make_unique<Output>(*this, std::move(session));
}

void SessionRecorder::Drain() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void SessionRecorder::Push(Job job) {
    {
        std::lock_guard guard(m_mutex);
        if (job.session->failed) {
            return;
        }
        // A disk that does not keep up costs the recording, never the exchange's time.
        if (m_queued + job.piece.size() > m_limits.queued) {
            job.piece.clear();
            job.finish = false;
        }
        m_queued += job.piece.size();
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void SessionRecorder::Run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        if (m_jobs.empty()) {
            return;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        Handle(job);
        lock.lock();
        m_queued -= job.piece.size();
        m_busy = false;
        m_changed.notify_all();
    }
}

void SessionRecorder::Handle(Job& job) {
    Session& session = *job.session;
    {
        std::lock_guard guard(m_mutex);
        if (session.failed) {
            return;
        }
    }
    if (job.piece.empty() && !job.finish) {
        Fail(session);  // the piece was dropped for want of room
        return;
    }
    if (!session.file) {
        if (HaveFolder(m_folder)) {
            if (auto created = PendingFile::Create(m_folder)) {
                session.file = std::move(*created);
            }
        }
        if (!session.file) {
            Fail(session);
            return;
        }
    }
    if (!job.finish) {
        if (session.file->Write(job.piece) != job.piece.size()) {
            Fail(session);
        }
        return;
    }
    const auto published = PublishNumbered(*session.file, [&](int attempt) {
        return m_folder / RecordingName(session.header, attempt);
    });
    session.file.reset();
    if (!published) {
        Fail(session);
        return;
    }
    Prune();
}

void SessionRecorder::Fail(Session& session) {
    session.file.reset();  // the temporary goes with it
    bool report = false;
    {
        std::lock_guard guard(m_mutex);
        session.failed = true;
        report = !std::exchange(session.reported, true);
    }
    if (report) {
        session.report->LogUpper(NotSavedLine(m_folder));
    }
}

// Oldest first by name, which begins with the start time; the newest recording always stays.
void SessionRecorder::Prune() {
    struct Entry {
        std::string name;
        std::uint64_t size = 0;
    };
    std::vector<Entry> entries;
    std::uint64_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = PathToUtf8(it->path().filename());
        std::error_code statusError;
        if (!IsRecordingName(name) || it->is_symlink(statusError) ||
            !it->is_regular_file(statusError)) {
            continue;
        }
        const auto size = it->file_size(statusError);
        entries.push_back({name, statusError ? 0 : size});
        total += entries.back().size;
    }
    // Within one second the later session has the longer name ("-zep" before "-zep-1", "-zep-9"
    // before "-zep-10"), which a plain comparison of names would put first.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const auto stampA = std::string_view(a.name).substr(0, kStampLength);
        const auto stampB = std::string_view(b.name).substr(0, kStampLength);
        if (stampA != stampB) {
            return stampA < stampB;
        }
        return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.name < b.name;
    });
    for (std::size_t oldest = 0;
         entries.size() - oldest > 1 &&
         (entries.size() - oldest > m_limits.recordings || total > m_limits.bytes);
         ++oldest) {
        RemoveFile(m_folder / PathFromUtf8(entries[oldest].name));
        total -= entries[oldest].size;
    }
}

}  // namespace zep
