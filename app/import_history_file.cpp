// Loading, setting aside, rewriting and appending the import history of the program folder.
#include "app/import_history_file.h"

#include <algorithm>
#include <system_error>

#include "core/path_text.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

// Entries are read and written this many at a time: some 850 KB, whatever the history's size.
constexpr std::size_t kWindowEntries = 16384;
constexpr std::int64_t kSecondsPerDay = 86400;

enum class LoadState {
    Missing,
    Whole,
    Torn,        // a crash cut the last append short; the whole entries before it count
    Damaged,     // not a history of ours, or an entry spoilt in the middle
    Newer,       // a later version wrote it
    NotPlain,    // a link, a folder, a FIFO ...
    Unreadable,  // reading it failed
};

const char* ReasonFor(LoadState state) {
    switch (state) {
        case LoadState::Damaged:
            return "повреждён";
        case LoadState::Newer:
            return "записан более новой версией программы";
        case LoadState::NotPlain:
            return "не является обычным файлом (ссылка, каталог или канал)";
        case LoadState::Unreadable:
            return "не читается";
        default:
            return nullptr;
    }
}

constexpr const char* kNotWritable = "недоступен для записи";
constexpr const char* kInMemory = "до перезапуска программы журнал ведётся только в памяти.";

}  // namespace

struct ImportHistoryFile::Loaded {
    LoadState state = LoadState::Missing;
    std::uint64_t entries = 0;  // whole entries in the file
    std::uint64_t live = 0;     // of them, those kept
    // The day each archive kept was recorded, in the order of Keys(): a day is fine enough for
    // an age counted in days, and takes half the room of a time.
    std::vector<std::uint16_t> days;
};

ImportHistoryFile::ImportHistoryFile(fs::path path, Clock& clock)
    : m_path(std::move(path)), m_clock(clock) {}

std::unique_ptr<ImportHistoryFile> ImportHistoryFile::Open(const fs::path& programFolder,
                                                           Clock& clock,
                                                           std::vector<std::string>& lines) {
    std::unique_ptr<ImportHistoryFile> history(
        new ImportHistoryFile(programFolder / kHistoryFileName, clock));
    Loaded loaded = history->Load();
    const char* reason = ReasonFor(loaded.state);
    const bool readable = loaded.state == LoadState::Whole || loaded.state == LoadState::Torn;
    // A history that is mostly dropped entries is written anew, so that it does not grow
    // without bound; a torn one too, so that the next append does not follow the torn part.
    bool rewrite =
        loaded.state != LoadState::Whole ||
        (loaded.live < loaded.entries && (loaded.entries - loaded.live) * 4 >= loaded.entries);
    if (!reason && !rewrite) {
        history->m_file = AppendFile::Open(history->m_path);
        if (!history->m_file) {
            reason = kNotWritable;
            rewrite = true;
        }
    }
    if (reason && !history->SetAside()) {
        lines.push_back(
            history->Line(std::string(reason) + " и не может быть заменён; " + kInMemory));
        return history;
    }
    if (rewrite &&
        !(history->Rewrite(loaded.days) && (history->m_file = AppendFile::Open(history->m_path)))) {
        history->m_file.reset();
        lines.push_back(history->Line(std::string(kNotWritable) + "; " + kInMemory));
        return history;
    }
    if (reason) {
        lines.push_back(history->Line(
            std::string(reason) + "; он сохранён как '" + PathToUtf8(history->m_path) + ".bad', " +
            (readable ? "его записи перенесены в новый журнал." : "начат новый журнал.")));
    }
    return history;
}

ImportHistoryFile::Loaded ImportHistoryFile::Load() {
    Loaded loaded;
    const FileProbe probe = ProbeFile(m_path);
    if (probe.kind != FileKind::Regular) {
        loaded.state = probe.kind == FileKind::Missing ? LoadState::Missing : LoadState::NotPlain;
        return loaded;
    }
    const auto in = OpenedRegularFile::Open(m_path);
    std::vector<std::uint8_t> window(kHistoryHeaderSize);
    const auto header = in ? in->ReadAt(0, window) : std::nullopt;
    if (!header) {
        loaded.state = LoadState::Unreadable;
        return loaded;
    }
    if (*header == 0) {
        loaded.state = LoadState::Torn;  // created, never written: nothing to lose
        return loaded;
    }
    switch (CheckHistoryHeader(std::span(window).first(*header))) {
        case HistoryHeaderCheck::Ours:
            break;
        case HistoryHeaderCheck::Newer:
            loaded.state = LoadState::Newer;
            return loaded;
        case HistoryHeaderCheck::Foreign:
            loaded.state = LoadState::Damaged;
            return loaded;
    }
    const std::uint64_t body = in->Size() - kHistoryHeaderSize;
    loaded.entries = body / kHistoryEntrySize;
    // The newest entries are at the end: beyond the bound, the oldest are not even read.
    const std::uint64_t first =
        loaded.entries > kHistoryMaxArchives ? loaded.entries - kHistoryMaxArchives : 0;
    const std::int64_t cutoff =
        static_cast<std::int64_t>(m_clock.Now()) - kHistoryMaxAgeDays * kSecondsPerDay;
    const std::size_t expected = static_cast<std::size_t>(loaded.entries - first);
    m_archives.Reserve(expected);
    loaded.days.reserve(expected);
    bool torn = false;
    window.resize(kWindowEntries * kHistoryEntrySize);
    for (std::uint64_t at = first; at < loaded.entries;) {
        const std::uint64_t count = std::min<std::uint64_t>(kWindowEntries, loaded.entries - at);
        const auto read = in->ReadAt(kHistoryHeaderSize + at * kHistoryEntrySize,
                                     std::span(window).first(count * kHistoryEntrySize));
        if (!read) {
            loaded.state = LoadState::Unreadable;
            break;
        }
        const std::size_t whole = *read / kHistoryEntrySize;
        TakeWindow(std::span(window).first(whole * kHistoryEntrySize), cutoff, torn, loaded);
        if (loaded.state != LoadState::Missing || whole < count) {
            torn = torn || whole < count;  // the file shrank while it was read
            break;
        }
        at += count;
    }
    if (loaded.state != LoadState::Missing) {
        m_archives = KnownArchives{};
        m_outputs.clear();
        loaded.days.clear();
        return loaded;
    }
    // A part of an entry at the end is what a crash in the middle of an append leaves.
    torn = torn || body % kHistoryEntrySize != 0;
    loaded.state = torn ? LoadState::Torn : LoadState::Whole;
    loaded.live = m_archives.Size();
    for (const auto& [raw, outputs] : m_outputs) {
        loaded.live += outputs.size();
    }
    return loaded;
}

void ImportHistoryFile::TakeWindow(std::span<const std::uint8_t> bytes, std::int64_t cutoff,
                                   bool& torn, Loaded& loaded) {
    std::vector<HistoryEntry> kept;
    kept.reserve(bytes.size() / kHistoryEntrySize);
    for (std::size_t at = 0; at < bytes.size(); at += kHistoryEntrySize) {
        const auto entry = DecodeHistoryEntry(bytes.subspan(at));
        if (!entry) {
            torn = true;  // only the end may be torn: a whole entry after it is damage
        } else if (torn) {
            loaded.state = LoadState::Damaged;
            return;
        } else if (entry->time >= cutoff) {
            kept.push_back(*entry);
        }
    }
    // The slots of the keys a few ahead are fetched while one is inserted.
    constexpr std::size_t kAhead = 8;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        if (k + kAhead < kept.size()) {
            m_archives.Prefetch(kept[k + kAhead].key);
        }
        const HistoryEntry& entry = kept[k];
        if (entry.kind != HistoryKind::Imported) {
            Take(entry);
        } else if (m_archives.Insert(entry.key)) {
            loaded.days.push_back(static_cast<std::uint16_t>(entry.time / kSecondsPerDay));
        }
    }
}

bool ImportHistoryFile::SetAside() {
    fs::path aside = m_path;
    aside += ".bad";
    std::error_code error;
    // An older history set aside before gives way to this one; a folder of that name does not.
    if (!fs::is_directory(fs::symlink_status(aside, error))) {
        fs::remove(aside, error);
    }
    fs::rename(m_path, aside, error);
    return !error;
}

bool ImportHistoryFile::Rewrite(const std::vector<std::uint16_t>& days) {
    auto file = PendingFile::Create(m_path.parent_path());
    if (!file) {
        return false;
    }
    const auto header = HistoryHeader();
    bool written = file->Write(header) == header.size();
    std::vector<std::uint8_t> window;
    const auto flush = [&] {
        written = written && file->Write(window) == window.size();
        window.clear();
    };
    const auto add = [&](const HistoryEntry& entry) {
        const HistoryEntryBytes bytes = EncodeHistoryEntry(entry);
        window.insert(window.end(), bytes.begin(), bytes.end());
        if (window.size() >= kWindowEntries * kHistoryEntrySize) {
            flush();
        }
    };
    const auto& keys = m_archives.Keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::uint32_t day = i < days.size() ? days[i] : 0;
        add({HistoryKind::Imported, 0, day * static_cast<std::uint32_t>(kSecondsPerDay), keys[i]});
    }
    const auto now = static_cast<std::uint32_t>(m_clock.Now());
    for (const auto& [raw, outputs] : m_outputs) {
        for (const std::uint16_t output : outputs) {
            add({HistoryKind::OutputPublished, output, now, raw});
        }
    }
    flush();
    return written && file->Replace(m_path) == PublishResult::Published &&
           FlushFolder(m_path.parent_path());
}

bool ImportHistoryFile::Store(std::span<const HistoryEntry> entries, WorkerReport& report) {
    if (!m_file) {
        return false;  // the start said why
    }
    const auto now = static_cast<std::uint32_t>(m_clock.Now());
    std::vector<std::uint8_t> bytes;
    bytes.reserve(entries.size() * kHistoryEntrySize);
    for (HistoryEntry entry : entries) {
        entry.time = now;
        const HistoryEntryBytes encoded = EncodeHistoryEntry(entry);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    if (m_file->Append(bytes) && m_file->Flush()) {
        return true;
    }
    // Appending after a part of an entry would put the torn part in the middle, where the next
    // start takes it for damage: nothing more is appended in this run.
    m_file.reset();
    report.LogUpper("$04Ошибка записи в журнал импорта '" + PathToUtf8(m_path) + "'; " + kInMemory);
    return false;
}

bool ImportHistoryFile::Stored() const {
    const std::lock_guard lock(m_mutex);
    return m_file.has_value();
}

std::string ImportHistoryFile::Line(std::string_view what) const {
    return "$04Журнал импорта '" + PathToUtf8(m_path) + "' " + std::string(what);
}

}  // namespace zep
