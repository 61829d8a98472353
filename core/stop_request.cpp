// The one request that is never made.
#include "core/stop_request.h"

namespace zep {

const StopRequest& StopRequest::Never() {
    static const StopRequest never;
    return never;
}

}  // namespace zep
