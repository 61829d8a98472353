#pragma once
// The inspectors of the archive kinds, and the small formatting helpers they share.
#include <string>
#include <vector>

#include "app/inspect.h"

namespace zep {

FileInspector MeterArchiveInspector();
FileInspector AssembledArchiveInspector();
FileInspector CardDatabaseInspector();
FileInspector RecordingInspector();

enum class ReadResult { Whole, Prefix, Missing, Failed };
// Reads a plain file (a link is not followed, a FIFO would block) up to limit bytes into
// content; Prefix when there is more, Missing when there is no plain file of that name.
ReadResult ReadFilePrefix(const std::filesystem::path& file, std::size_t limit,
                          std::vector<std::uint8_t>& content);

// The file name's extension in lower case, with its dot (".bia"), or "".
std::string LowerExtension(const std::filesystem::path& file);
// Device text made readable: Windows-1251 to UTF-8, control characters as \r, \t, \xNN.
std::string Printable(std::string_view bytes);
// Up to `limit` bytes in hex, "..." when there are more.
std::string HexPreview(std::span<const std::uint8_t> bytes, std::size_t limit = 16);

}  // namespace zep
