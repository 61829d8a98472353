// Inspection of assembled archives (".bin"): the title strings and the records, walked by the
// rules of the conversion.
#include <optional>

#include "app/inspect_kinds.h"
#include "convert/assembled_archive.h"
#include "core/crc16.h"

namespace zep {

namespace {

// What the conversion takes from title strings 1 to 4.
constexpr const char* kTitleMeaning[] = {"", " (device type)", " (virtual devices)",
                                         " (virtual device name)", " (serial number)"};
constexpr int kTitleStringsNeeded = 5;

bool Recognizes(const std::filesystem::path& file, std::span<const std::uint8_t>) {
    return LowerExtension(file) == ".bin";
}

// Prints the title strings; returns how many terminated strings the area holds.
int PrintTitleArea(std::span<const std::uint8_t> content, std::ostream& out) {
    const std::size_t declared = ReadBe16(content.data());
    const auto area = TitleArea(content);
    out << "  title area: " << declared << " bytes at offset 2\n";
    if (area.size() < declared) {
        out << "  title area runs past the end of the file (" << area.size() << " bytes there)\n";
    }
    int count = 0;
    std::size_t used = 0;
    while (const auto text = NthString(area, count)) {
        out << "    string " << count << (count < kTitleStringsNeeded ? kTitleMeaning[count] : "")
            << ": " << Printable(*text) << "\n";
        used += text->size() + 1;
        ++count;
    }
    if (used < area.size()) {
        out << "    " << area.size() - used << " byte(s) without a terminating NUL\n";
    }
    if (count < kTitleStringsNeeded) {
        out << "  only " << count << " title string(s): the conversion needs strings 1 to 4\n";
    }
    return count;
}

bool Inspect(const std::filesystem::path&, std::span<const std::uint8_t> content,
             std::ostream& out) {
    if (content.size() < 2) {
        out << "  offset 0: title area length cut short\n";
        return false;
    }
    const int strings = PrintTitleArea(content, out);
    int count = 0;
    std::size_t offset = 2 + std::size_t{ReadBe16(content.data())};
    const auto result = WalkAssembledArchive(content, [&](const AssembledRecord& record) {
        ++count;
        out << "  record " << count << " at offset " << offset << ": kind "
            << static_cast<int>(record.kind) << ", length " << record.data.size() << ", data "
            << HexPreview(record.data) << "\n";
        offset = record.endOffset;
        return true;
    });
    switch (result) {
        case WalkResult::Ok:
            out << "  end of file at offset " << offset << " after " << count << " record(s)\n";
            break;
        case WalkResult::StructureError:
            // The log line without its colour code.
            out << "  walk failed at offset " << offset << " after " << count
                << " record(s): " << kStructureErrorLine + 3 << "\n";
            break;
        case WalkResult::FormatError:
            out << "  walk failed at offset " << offset << " after " << count
                << " record(s): " << kFormatErrorLine + 3 << "\n";
            break;
    }
    return result == WalkResult::Ok && strings >= kTitleStringsNeeded;
}

}  // namespace

FileInspector AssembledArchiveInspector() {
    return {"assembled archive", &Recognizes, &Inspect};
}

}  // namespace zep
