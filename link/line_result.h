#pragma once
// What every line routine of the three device protocols returns (zep_routines.h,
// tessal_routines.h, kolvar_routines.h): one result type for the three families.
namespace zep {

enum class LineResult {
    Ok,           // the line, reply, number or frame is there (and its check word matched)
    Failed,       // a read or write failed or timed out, or the reply was cut, overlong, without
                  // its key or failed its check word
    DeviceError,  // the device answered "ERROR" (only ZepWaitOkError tells this from Failed)
};

}  // namespace zep
