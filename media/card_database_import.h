#pragma once
// The meter archives of a card database, each assembled from its volumes into one ".bin" raw
// file; with deletion on, the imported records are then marked deleted on the card.
#include "media/media_import_context.h"

namespace zep {

void ImportCardDatabase(const CardFile& file, const MediaImportContext& context);

}  // namespace zep
