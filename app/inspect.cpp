// The inspection command: each named file read as the program would read it, recognised by its
// kind and reported on; the run fails when any file is unknown, unreadable or damaged.
#include "app/inspect.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>

#include "app/inspect_kinds.h"
#include "core/path_text.h"
#include "platform/cp1251.h"
#include "platform/regular_file.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

// More than any archive a device sends or a card yields; a larger file is read no further, so
// a huge file of nothing costs neither the memory nor the time of reading it whole.
constexpr std::size_t kLargestArchive = 64u << 20;

// Reads the file up to kLargestArchive bytes; Prefix when there is more.
ReadResult ReadUpToLimit(const fs::path& file, std::vector<std::uint8_t>& content,
                         std::ostream& out) {
    const ReadResult read = ReadFilePrefix(file, kLargestArchive, content);
    if (read == ReadResult::Missing) {
        out << "  cannot be read: missing, or not a plain file (a link, folder or device)\n";
    } else if (read == ReadResult::Failed) {
        out << "  cannot be read\n";
    }
    return read;
}

bool InspectOne(const fs::path& file, std::ostream& out) {
    out << PathToUtf8(file) << "\n";
    std::vector<std::uint8_t> content;
    const ReadResult read = ReadUpToLimit(file, content, out);
    if (read == ReadResult::Failed || read == ReadResult::Missing) {
        return false;
    }
    if (read == ReadResult::Prefix) {
        // Only a card database, which is read from its file, may be this large.
        const FileInspector card = CardDatabaseInspector();
        if (card.recognizes(file, content)) {
            out << "  " << card.kind << ", more than " << kLargestArchive << " bytes\n";
            return card.inspect(file, content, out);
        }
        out << "  more than " << kLargestArchive
            << " bytes and no card database: larger than any archive, not inspected\n";
        return false;
    }
    for (const auto& inspector : FileInspectors()) {
        if (inspector.recognizes(file, content)) {
            out << "  " << inspector.kind << ", " << content.size() << " bytes\n";
            return inspector.inspect(file, content, out);
        }
    }
    out << "  not a meter archive, assembled archive, card database or session recording\n";
    return false;
}

}  // namespace

std::span<const FileInspector> FileInspectors() {
    static const FileInspector inspectors[] = {
        // Recordings and card databases first: their signatures are certain, while almost any
        // file opens as an assembled archive.
        RecordingInspector(),
        MeterArchiveInspector(),
        CardDatabaseInspector(),
        AssembledArchiveInspector(),
    };
    return inspectors;
}

ReadResult ReadFilePrefix(const fs::path& file, std::size_t limit,
                          std::vector<std::uint8_t>& content) {
    const auto in = OpenedRegularFile::Open(file);
    if (!in) {
        return ReadResult::Missing;
    }
    content.resize(static_cast<std::size_t>(std::min<std::uint64_t>(in->Size(), limit)));
    // One byte beyond the limit tells a larger file; a file that grew since it was opened is
    // read as far as its size then.
    std::uint8_t beyond = 0;
    const auto read = in->ReadAt(0, content);
    const auto more = in->ReadAt(content.size(), std::span(&beyond, 1));
    if (!read || !more) {
        return ReadResult::Failed;
    }
    content.resize(*read);
    return *read == limit && *more == 1 ? ReadResult::Prefix : ReadResult::Whole;
}

std::string LowerExtension(const fs::path& file) {
    std::string extension = PathToUtf8(file.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string Printable(std::string_view bytes) {
    std::string escaped;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F) {
            escaped.push_back(c);
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            escaped += hex;
        }
    }
    return Cp1251ToUtf8(escaped);
}

std::string HexPreview(std::span<const std::uint8_t> bytes, std::size_t limit) {
    std::string text;
    char hex[4];
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += hex;
    }
    if (bytes.size() > limit) {
        text += " ...";
    }
    return text;
}

int RunInspect(const std::vector<std::string>& files, std::ostream& out) {
    bool allRead = !files.empty();
    for (const auto& file : files) {
        allRead = InspectOne(PathFromUtf8(file), out) && allRead;
    }
    return allRead ? 0 : 1;
}

}  // namespace zep
