#pragma once
// The way of each unit a device sends (a ZEP file, a Tessal archive, a Kolvar record) into the
// program folder, past the import history: a unit imported before is not saved again (with
// "ImportOnce" on), one that is new is saved as a raw file and recorded once its name is on
// disk. Either may then be deleted on the device, the known one as if just imported.
#include <cstdint>
#include <span>
#include <string>

#include "core/worker_environment.h"
#include "core/worker_params.h"
#include "link/raw_file.h"

namespace zep {

class ArchiveIntake {
public:
    ArchiveIntake(const WorkerParams& params, const WorkerEnvironment& env)
        : m_params(params), m_env(env) {}

    // Saved and Known leave the unit free to be deleted on the device; anything else keeps it.
    SaveOutcome Take(std::span<const std::uint8_t> content, const std::string& extension);
    // The session's line on the units passed over as imported before, if there were any.
    void ReportKnown() const;

private:
    const WorkerParams& m_params;
    const WorkerEnvironment& m_env;
    int m_known = 0;
};

}  // namespace zep
