#pragma once
// Imports a card folder: ".zep" and ".zvo" files are copied whole as ".bia" and ".bil" raw
// files, each meter archive of a card database is assembled from its volumes into a ".bin"
// raw file. With params.deleteData set, what was imported is then removed from the card: whole
// files are deleted, database records are marked deleted (the database file goes when all its
// records carry the mark). Nothing leaves the card before its raw file is complete and flushed.
//
// params.folder is the card folder; a non-empty params.selection restricts the import to the
// files and first volumes whose keys it holds. The worker takes env.lock first, releases it
// last, writes raw files into env.programFolder and reports only through env.report.
#include "core/worker_environment.h"
#include "core/worker_params.h"

namespace zep {

// Returns 0.
int MediaImportWorker(const WorkerParams& params, const WorkerEnvironment& env);

}  // namespace zep
