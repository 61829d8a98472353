// Inspection of meter archives (".bia" raw files, ".zep" card files): read with the reader the
// conversion uses, so the report shows exactly what a conversion would get.
#include <cstring>
#include <sstream>

#include "app/inspect_kinds.h"
#include "convert/raw_archive_reader.h"
#include "core/crc16.h"

namespace zep {

namespace {

using Failure = RawArchiveReader::OpenFailure;
using Stop = RawArchiveReader::StopReason;

bool Recognizes(const std::filesystem::path& file, std::span<const std::uint8_t> content) {
    const auto extension = LowerExtension(file);
    return extension == ".bia" || extension == ".zep" ||
           (content.size() >= 4 && std::memcmp(content.data(), "tess", 4) == 0);
}

std::string OpenFailureText(Failure failure, std::span<const std::uint8_t> content) {
    const std::size_t n = content.size() >= 8 ? ReadLe16(content.data() + 6) : 0;
    std::ostringstream text;
    switch (failure) {
        case Failure::None:
            break;
        case Failure::CannotOpen:
            text << "cannot be opened";
            break;
        case Failure::ShortFileHeader:
            text << "offset 0: file header cut short (" << content.size() << " of 8 bytes)";
            break;
        case Failure::BadSignature:
            text << "offset 0: no signature \"tess\"";
            break;
        case Failure::BadHeaderLength:
            text << "offset 6: header block length " << n << " is too small";
            break;
        case Failure::ShortHeaderBlock:
            text << "offset 8: header block of " << n << " bytes runs past the end of the file";
            break;
        case Failure::MissingTerminator:
            text << "offset " << n + 5 << ": header text not terminated by a NUL";
            break;
        case Failure::BadHeaderCheck:
            text << "offset " << n + 6 << ": header check word does not match";
            break;
    }
    return text.str();
}

// The record length field at an offset, when both of its bytes are in the file.
std::string LengthAt(std::span<const std::uint8_t> content, std::uint64_t offset) {
    if (offset + 2 > content.size()) {
        return "?";
    }
    return std::to_string(ReadLe16(content.data() + offset));
}

std::string StopText(Stop stop, std::span<const std::uint8_t> content, std::uint64_t offset) {
    switch (stop) {
        case Stop::None:
        case Stop::EndOfFile:
            if (offset >= content.size()) {
                return "end of file";
            }
            return std::to_string(content.size() - offset) + " stray byte(s) at the end";
        case Stop::ZeroLength:
            return "record length 0";
        case Stop::ShortLength:
            return "record length " + LengthAt(content, offset) + " is below 4";
        case Stop::Truncated:
            return "record length " + LengthAt(content, offset) + " runs past the end of the file";
        case Stop::NoT:
            return "record does not begin with 'T'";
        case Stop::BadCheck:
            return "record of length " + LengthAt(content, offset) + ": check word does not match";
        case Stop::ReadError:
            return "the file cannot be read";
    }
    return "unknown";
}

void PrintHeader(const RawArchiveReader& reader, std::ostream& out) {
    const std::string text = reader.GetHeaderText();
    out << "  header text (" << text.size() << " bytes):\n";
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        out << "    " << Printable(std::string_view(text).substr(start, end - start)) << "\n";
        start = end + 1;
    }
    out << "  driver (Type): " << Printable(reader.GetValue("Type")) << "\n";
}

bool Inspect(const std::filesystem::path& file, std::span<const std::uint8_t> content,
             std::ostream& out) {
    RawArchiveReader reader;
    if (!reader.Open(file)) {
        out << "  not readable: " << OpenFailureText(reader.LastOpenFailure(), content) << "\n";
        return false;
    }
    PrintHeader(reader, out);
    int count = 0;
    std::uint64_t offset = reader.Position();
    while (const auto record = reader.ReadRecord()) {
        ++count;
        out << "  record " << count << " at offset " << offset << ": kind "
            << static_cast<int>(record->Kind()) << ", length " << record->Length()
            << ", check word ok, data " << HexPreview(record->Data()) << "\n";
        offset = reader.Position();
    }
    const std::string why = StopText(reader.LastStop(), content, offset);
    out << "  stopped at offset " << offset << " after " << count << " record(s): " << why << "\n";
    return reader.LastStop() == Stop::EndOfFile && offset == content.size();
}

}  // namespace

FileInspector MeterArchiveInspector() {
    return {"meter archive", &Recognizes, &Inspect};
}

}  // namespace zep
