// A recording stand-in for the unzip library: it keeps what the driver hands
// over and plays a small script through the callbacks. Tests reach its extra
// entry points through the same library handle as the driver.
#pragma once

#include <stdint.h>

#include "unzip32/unzip32.h"

struct StubRecord {
    int32_t versionCalls;
    int32_t unzipCalls;
    int32_t versionBeforeUnzip;     // 1 when the last unzip call followed a version call
    unsigned char version[UZ_VERSION_RECORD_SIZE];  // as received
    int32_t options[15];            // slots 1-15
    char zipFileName[512];          // slot 16
    char extractDir[512];           // slot 17
    int32_t includeCount;
    int32_t excludeCount;
    int32_t includeListEmpty;       // 1 when all 100 slots were null
    int32_t excludeListEmpty;
    intptr_t callbackSlots[6];      // slots 1-6 as addresses
    int32_t reservedSlots[5];       // slots 7-11
};

// Entry points beyond the library's own (plain C calling convention).
typedef StubRecord* (*StubRecordEntry)(void);
typedef void (*StubScriptEntry)(int32_t result, const char* printed);

#define STUB_RECORD_ENTRY "StubLastCall"
#define STUB_SCRIPT_ENTRY "StubScript"
