#pragma once
// Assembled archives (".bin"), built by the Tessal and Kolvar exchanges and by the card
// import: one import file per virtual device number of title string 2, each with every record
// rendered by the driver of title string 1; "ZUVO" archives go to the printer branch.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "convert/bounded_output.h"
#include "convert/conversion_context.h"

namespace zep {

// Files above this size are not read into memory; no exchange produces one.
inline constexpr std::uintmax_t kMaxAssembledArchiveBytes = std::uintmax_t{1} << 30;

// True unless a step failed. deviceLabel receives title strings 1, 4 and 2 joined.
bool ConvertAssembledArchive(const std::filesystem::path& path,
                             const std::filesystem::path& importFolder,
                             const std::filesystem::path& printerFolder, ConversionContext& context,
                             std::string& deviceLabel);

// Renders every record of the image for virtual device v into the output. 0, or -1 after a
// posted failure.
int ConvertRecords(std::int32_t v, const std::string& type, std::span<const std::uint8_t> image,
                   BoundedOutput& output, ConversionContext& context);

}  // namespace zep
