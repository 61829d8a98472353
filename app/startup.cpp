// The start every front end shares, and the texts it shows when the start goes wrong.
#include "app/startup.h"

#include <memory>
#include <string>
#include <vector>

#include "app/help_request.h"
#include "app/import_history_file.h"
#include "app/worker_threads.h"
#include "convert/conversion_worker.h"
#include "core/archive_key.h"
#include "core/path_text.h"
#include "platform/autostart.h"
#include "platform/dispatch_values.h"
#include "platform/folder_lock.h"
#include "platform/help_viewer.h"
#include "platform/program_path.h"
#include "platform/publish_file.h"
#include "platform/time_base.h"

namespace zep {

std::string FolderInUseText(const std::filesystem::path& folder) {
    return "ZEP Импорт уже запущен с папкой " + PathToUtf8(folder) + ".";
}

std::string FolderNotLockedText(const std::filesystem::path& folder) {
    return "Папку " + PathToUtf8(folder) +
           " не удалось заблокировать: второй запуск ZEP Импорт с этой папкой не будет замечен.";
}

namespace {

// Eight hexadecimal digits of the program folder's digest: the same folder gives the same tag at
// every start, two folders almost never the same.
std::string TemporaryTagOf(const std::filesystem::path& folder) {
    const std::string text = PathToUtf8(folder);
    const ArchiveKey digest =
        ArchiveKeyOf(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string tag;
    for (int i = 0; i < 4; ++i) {
        tag += kHex[digest.digest[i] >> 4];
        tag += kHex[digest.digest[i] & 0x0F];
    }
    return tag;
}

// A program killed while it wrote leaves its temporary files behind, in the program folder and
// in the folders the conversion writes to; only its own (of its folder's tag) are removed.
void RemoveLeftovers(const std::filesystem::path& folder, std::vector<std::string>& lines) {
    std::vector<std::filesystem::path> folders{folder};
    if (const auto written = ConversionFoldersOf(DispatchValues::Installed())) {
        folders.push_back(written->import);
        if (written->printer != written->import) {
            folders.push_back(written->printer);
        }
    }
    int removed = 0;
    for (const auto& place : folders) {
        removed += RemoveOwnTemporaries(place);
    }
    if (removed > 0) {
        lines.push_back("Удалено временных файлов прерванной работы: " + std::to_string(removed));
    }
}

// A front end whose help belongs to a window of its own replaces this.
void ShowHelpWithoutOwner(const std::filesystem::path& helpFile) {
    ShowHelpTopic(nullptr, helpFile, kHelpTopic);
}

}  // namespace

int StartProgram(const FrontEnd& frontEnd) {
    if (!FixTimeBase()) {
        frontEnd.showError(kTimeBaseError);
        return 1;
    }
    const auto folder = ProgramFolder();
    // Held until the front end has ended: a second instance would convert the same raw files.
    const auto folderLock = FolderLock::Acquire(folder);
    if (folderLock.GetState() == FolderLock::State::InUse) {
        frontEnd.showError(FolderInUseText(folder));
        return 1;
    }
    std::vector<std::string> startLines;
    if (folderLock.GetState() == FolderLock::State::Unavailable) {
        startLines.push_back("$04" + FolderNotLockedText(folder));
    }
    // Under the folder lock: no other instance appends to the history meanwhile, and no other
    // writes temporaries of this folder's tag.
    SetTemporaryNameTag(TemporaryTagOf(folder));
    RemoveLeftovers(folder, startLines);
    const auto history = ImportHistoryFile::Open(folder, DefaultClock(), startLines);
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), folder, *history);
    const auto autostart = CreateSessionAutostart();
    // The autostart entry names the executable itself: the program file in a program folder
    // elsewhere (given, or in the data home) is no program that could be started.
    return frontEnd.run({*parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                         DefaultClock(), folder, SettingsFileFor(ProgramFile()), ExecutablePath(),
                         *autostart, DispatchValues::Installed(), ShowHelpWithoutOwner,
                         history.get(), std::move(startLines)});
}

}  // namespace zep
