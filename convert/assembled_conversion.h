#pragma once
// Assembled archives (".bin"), built by the Tessal and Kolvar exchanges and by the card
// import: one import file per virtual device number of title string 2, each with every record
// rendered by the driver of title string 1; "ZUVO" archives go to the printer branch.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "convert/bounded_output.h"
#include "convert/conversion_context.h"

namespace zep {

// Files above this size are not read into memory; no exchange produces one.
inline constexpr std::uintmax_t kMaxAssembledArchiveBytes = std::uintmax_t{1} << 30;

// The whole file, when it is a plain file of at most that size and can be read.
std::optional<std::vector<std::uint8_t>> ReadAssembledArchive(const std::filesystem::path& path);

// True unless a step failed. deviceLabel receives title strings 1, 4 and 2 joined.
bool ConvertAssembledArchive(const std::filesystem::path& path,
                             const std::filesystem::path& importFolder,
                             const std::filesystem::path& printerFolder, ConversionContext& context,
                             std::string& deviceLabel);

}  // namespace zep
