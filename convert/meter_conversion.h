#pragma once
// Meter archives (".bia"): the header text becomes the device section of one import file and
// the driver of the archive's "Type" renders each record into the text after it.
#include <cstdint>
#include <filesystem>
#include <string>

#include "convert/conversion_context.h"

namespace zep {

// True when the import file was written completely. deviceLabel receives the label of the
// archive ("Type_Serial_Virtual"), or stays empty when its header cannot be read.
bool ConvertMeterArchive(const std::filesystem::path& path,
                         const std::filesystem::path& importFolder, ConversionContext& context,
                         std::string& deviceLabel);

}  // namespace zep
