// The bookkeeping of a publish batch; the flushing belongs to the backend.
#include "platform/publish_batch.h"

namespace zep {

std::size_t PublishBatch::Add(PendingFile file) {
    m_files.push_back(std::move(file));
    return m_files.size() - 1;
}

}  // namespace zep
