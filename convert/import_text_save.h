#pragma once
// Saving the text of one device as its import file, with the lines that tell the user what
// became of it.
#include <filesystem>
#include <string>

#include "convert/bounded_output.h"
#include "convert/conversion_context.h"

namespace zep {

// Writes the text as import file number `number` of the raw file. Posts the limit line first
// when text was cut and, when no file is written, the folder line (no file can be made there)
// and the lower-pane save error naming the device (type, serial, name). True when the import
// file is written and its name is on disk, or was so before a restart (the ledger says so).
bool SaveImportText(const BoundedOutput& output, const std::filesystem::path& importFolder,
                    ConversionContext& context, const std::string& type, const std::string& serial,
                    const std::string& name, int number);

}  // namespace zep
