#pragma once
// A ".zep" or ".zvo" card file taken unchanged into a ".bia" or ".bil" raw file.
#include <string>

#include "media/media_import_context.h"

namespace zep {

// extension: ".bia" or ".bil". With deletion on, the card file goes once its copy is on disk.
void CopyWholeFile(const CardFile& file, const std::string& extension,
                   const MediaImportContext& context);

}  // namespace zep
