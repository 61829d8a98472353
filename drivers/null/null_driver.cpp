// A driver that accepts every record and writes nothing: the conversion's own cost, measured
// without any rendering.
#include <cstdio>

#include "sdk/vl_driver.h"

VL_EXPORT int NullConvertRecord(VLRecordBlock* block, int size) {
    if (block == nullptr || size < static_cast<int>(sizeof(VLRecordBlock))) {
        return 0;
    }
    block->result = kVLRecordDone;
    return kVLCallDone;
}

VL_EXPORT int VLInit(VLDriverDescriptor* descriptor, int size) {
    if (descriptor == nullptr || size < static_cast<int>(sizeof(VLDriverDescriptor))) {
        return 0;
    }
    std::snprintf(descriptor->name, sizeof descriptor->name, "NULL");
    std::snprintf(descriptor->entries[kVLConvertEntry].exportName, kVLExportNameSize,
                  "NullConvertRecord");
    return 1;
}
