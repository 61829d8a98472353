// A card database told entry by entry for the inspection command, with why it would not load.
#include "media/card_inspect.h"

#include <cstdio>

#include "core/path_text.h"
#include "media/card_database.h"
#include "platform/cp1251.h"

namespace zep {

namespace {

const char* LoadFailure(int result) {
    switch (result) {
        case kCardBadIndex:
            return "index damaged (a block yields no entries or its count disagrees)";
        case kCardSeekFailed:
            return "a record offset cannot be reached";
        case kCardReadFailed:
            return "the file cannot be read, or record offsets do not increase or lie beyond it";
        default:
            return "cannot be read";
    }
}

std::string FlagWords(std::uint8_t flags) {
    std::string words;
    if ((flags & kCardFlagDeleted) != 0) {
        words += " imported+deleted";
    }
    if ((flags & kCardFlagVoid) != 0) {
        words += " void";
    }
    return words;
}

void DescribeEntry(CCardDatabase& database, std::uint32_t i, std::ostream& out) {
    const std::uint8_t flags = database.Flags(i);
    char head[128];
    std::snprintf(head, sizeof head,
                  "entry %u: index at %u, record at %u, %llu bytes, flags 0x%02X", i,
                  database.IndexPosition(i), database.RecordOffset(i),
                  static_cast<unsigned long long>(database.ExtentSize(i)), flags);
    out << head << FlagWords(flags) << "\n";
    const auto record = database.Record(i);
    if (database.ReadFailed()) {
        out << "  cannot be read\n";
        return;
    }
    if (!record) {
        out << "  malformed: lengths do not fit the record or fewer than six title strings\n";
        return;
    }
    std::snprintf(head, sizeof head, "  L %u, title area %zu, payload %zu, check word %04X: %s",
                  record->Length(), record->TitleArea().size(), record->Payload().size(),
                  record->StoredCheckBe(), record->CheckWordMatches() ? "ok" : "WRONG");
    out << head << "\n";
    static const char* const kTitleNames[] = {"time",  "type",   "virtual",
                                              "vname", "serial", "volume"};
    for (int n = 0; n < 6; ++n) {
        out << "  " << kTitleNames[n] << ": " << Cp1251ToUtf8(record->Title(n)) << "\n";
    }
}

}  // namespace

CardDescription DescribeCardDatabase(const std::filesystem::path& path, std::ostream& out) {
    CCardDatabase database;
    const int result = database.Load(path);
    if (result == kCardCannotOpen || result == kCardTooShort || result == kCardBadSignature) {
        return CardDescription::NotADatabase;
    }
    out << "card database " << PathToUtf8(path) << "\n";
    out << "  length " << database.FileLength() << " bytes, version " << database.Version()
        << (database.Version() == 0 ? "" : " (not supported)") << "\n";
    if (result != kCardLoaded) {
        out << "  load failed, code " << result << ": " << LoadFailure(result) << "\n";
        return CardDescription::Unusable;
    }
    out << "  " << database.Count() << " entries, " << database.CountFlagged(kCardFlagDeleted)
        << " imported+deleted, " << database.CountFlagged(kCardFlagVoid) << " void\n";
    for (std::uint32_t i = 0; i < database.Count() && !database.ReadFailed(); ++i) {
        DescribeEntry(database, i, out);
    }
    return database.Version() == 0 && !database.ReadFailed() ? CardDescription::Usable
                                                             : CardDescription::Unusable;
}

}  // namespace zep
