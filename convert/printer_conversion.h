#pragma once
// Printer protocols of the Zuvo application become ".zvo" files in the printer-protocol
// folder: an assembled archive of type "ZUVO" has its record data copied into one, a ".bil" raw
// file is moved there unread.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "convert/conversion_context.h"
#include "convert/title_strings.h"
#include "platform/publish_file.h"

namespace zep {

// The printer branch of an assembled archive. True when the ".zvo" file was written
// completely and its name is on disk; nothing is left behind when it was not written.
bool ConvertPrinterArchive(std::span<const std::uint8_t> image, const TitleStrings& title,
                           const std::filesystem::path& printerFolder, ConversionContext& context,
                           std::string& deviceLabel);

// Writes the data of every record to the file, in record order. 0, or -1 after a posted failure.
int CopyPrinterRecords(PendingFile& file, std::span<const std::uint8_t> image,
                       WorkerReport& report);

// Moves a ".bil" file to <folder>/<time>_<n>.zvo, copying it when the folder is on another file
// system. False, with a posted line, when it cannot be moved; the file then stays where it was.
bool MovePrinterProtocol(const std::filesystem::path& path,
                         const std::filesystem::path& printerFolder, ConversionContext& context);

}  // namespace zep
