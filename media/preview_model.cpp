// What the preview shows of a card folder: a row per meter archive and printer protocol, with
// the key the import selects it by, and the summary line.
#include "media/preview_model.h"

#include <cstdio>
#include <cstdlib>

#include "convert/raw_archive_reader.h"
#include "core/path_text.h"
#include "media/card_database.h"
#include "media/card_file_name.h"
#include "platform/cp1251.h"
#include "platform/hidden_entry.h"

namespace zep {

namespace {

bool EndsWith(const std::string& name, std::string_view tail) {
    return name.size() >= tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

std::string HeatSystem(const std::string& number, const std::string& name) {
    return name.empty() ? number : number + " (" + name + ")";
}

void AddMeterArchive(const std::filesystem::directory_entry& entry, const std::string& name,
                     CardFolderContents& contents) {
    RawArchiveReader reader;
    if (!reader.Open(entry.path())) {
        return;
    }
    std::error_code error;
    contents.files += 1;
    contents.bytes += entry.file_size(error);
    PreviewRow row;
    row.deviceType = Cp1251ToUtf8(reader.GetValue("Type"));
    row.serialNumber = Cp1251ToUtf8(reader.GetValue("Serial"));
    row.heatSystem = Cp1251ToUtf8(HeatSystem(reader.GetValue("Virtual"), reader.GetValue("Vname")));
    row.date = Cp1251ToUtf8(reader.GetValue("Time"));
    row.key = CardFileKey(name);
    contents.rows.push_back(std::move(row));
    contents.devices += 1;
}

void AddPrinterProtocol(const std::string& name, CardFolderContents& contents) {
    PreviewRow row;
    row.deviceType = "Печатный протокол";
    row.key = CardFileKey(name);
    contents.rows.push_back(std::move(row));
    contents.files += 1;
}

void AddCardDatabase(const std::filesystem::directory_entry& entry, const std::string& name,
                     CardFolderContents& contents) {
    CCardDatabase database;
    if (database.Load(entry.path()) != kCardLoaded || database.Version() != 0) {
        return;
    }
    contents.files += 1;
    contents.bytes += database.FileLength();
    const SelectionKey fileKey = CardFileKey(name);
    for (std::uint32_t i = 0; i < database.Count(); ++i) {
        if ((database.Flags(i) & kCardFlagsAbsent) != 0) {
            continue;
        }
        const auto record = database.Record(i);
        if (!record || record->Volume() != 1) {
            continue;
        }
        PreviewRow row;
        row.deviceType = Cp1251ToUtf8(record->Title(1));
        row.serialNumber = Cp1251ToUtf8(record->Title(4));
        row.heatSystem = Cp1251ToUtf8(HeatSystem(record->Title(3), record->Title(2)));
        row.date = Cp1251ToUtf8(ReformatDate(record->Title(0)));
        row.key = fileKey + record->StoredCheckAsKey();
        contents.rows.push_back(std::move(row));
        contents.devices += 1;
    }
}

}  // namespace

CardFolderContents ReadCardFolder(const std::filesystem::path& folder) {
    CardFolderContents contents;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = PathToUtf8(it->path().filename());
        std::error_code entryError;
        if (name.empty() || IsHiddenEntry(it->path()) || !it->is_regular_file(entryError)) {
            continue;
        }
        if (EndsWith(name, ".zep")) {
            AddMeterArchive(*it, name, contents);
        } else if (EndsWith(name, ".zvo")) {
            AddPrinterProtocol(name, contents);
        } else {
            AddCardDatabase(*it, name, contents);
        }
    }
    return contents;
}

std::string PreviewSummary(const CardFolderContents& contents) {
    char text[160];
    std::snprintf(text, sizeof text, "Найдены данные %u приборов в %u файлах (%.2f Мб)",
                  contents.devices, contents.files,
                  static_cast<double>(contents.bytes) / 1048576.0);
    return text;
}

std::string ReformatDate(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] < '0' || text[i] > '9') {
            out.push_back(text[i++]);
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            ++end;
        }
        // Leading zeros of a longer run go, as a number conversion drops them; a run too long
        // for a number keeps its digits rather than turning into a wrong value.
        std::string_view digits = text.substr(i, end - i);
        while (digits.size() > 2 && digits.front() == '0') {
            digits.remove_prefix(1);
        }
        if (digits.size() == 1) {
            out.push_back('0');
        }
        out.append(digits);
        i = end;
    }
    return out;
}

}  // namespace zep
