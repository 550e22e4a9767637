#include "stub_unzip32.h"

#include <string.h>

namespace {

StubRecord g_record;
int32_t g_result = 0;
bool g_versionPending = false;
char g_printed[256];

void CopyText(char (&to)[512], const char* from) {
    memset(to, 0, sizeof to);
    if (from != nullptr) strncpy(to, from, sizeof to - 1);
}

bool AllNull(char** list) {
    for (int i = 0; i < UZ_NAME_LIST_SLOTS; ++i)
        if (list == nullptr || list[i] != nullptr) return false;
    return true;
}

}  // namespace

extern "C" {

UZ_EXPORT StubRecord* StubLastCall(void) { return &g_record; }

// The next calls return `result` and print `printed` (none when null) first.
UZ_EXPORT void StubScript(int32_t result, const char* printed) {
    g_result = result;
    memset(g_printed, 0, sizeof g_printed);
    if (printed != nullptr) strncpy(g_printed, printed, sizeof g_printed - 1);
}

UZ_EXPORT int32_t UZ_CALL UzpVersion2(UnzipVersionRecord* version) {
    ++g_record.versionCalls;
    g_versionPending = true;
    memcpy(g_record.version, version, sizeof g_record.version);
    return 0;
}

UZ_EXPORT int32_t UZ_CALL Wiz_SingleEntryUnzip(int32_t includeCount, char** includeList,
                                               int32_t excludeCount, char** excludeList,
                                               UnzipOptionsRecord* o, UnzipCallbackRecord* c) {
    ++g_record.unzipCalls;
    g_record.versionBeforeUnzip = g_versionPending;
    g_versionPending = false;
    int32_t slots[15] = {o->ExtractOnlyNewer, o->SpaceToUnderScore, o->PromptOverwrite,
                         o->MessageLevel,     o->WriteToStdOut,     o->TestZip,
                         o->ExtractList,      o->ExtractNewer,      o->DisplayComment,
                         o->HonorDirectories, o->OverWriteFiles,    o->ConvertCRtoCRLF,
                         o->Verbose,          o->CaseSensitive,     o->Privilege};
    memcpy(g_record.options, slots, sizeof slots);
    CopyText(g_record.zipFileName, o->ZipFileName);
    CopyText(g_record.extractDir, o->ExtractDir);
    g_record.includeCount = includeCount;
    g_record.excludeCount = excludeCount;
    g_record.includeListEmpty = AllNull(includeList);
    g_record.excludeListEmpty = AllNull(excludeList);
    intptr_t addresses[6] = {reinterpret_cast<intptr_t>(c->print),
                             reinterpret_cast<intptr_t>(c->unused2),
                             reinterpret_cast<intptr_t>(c->replace),
                             reinterpret_cast<intptr_t>(c->password),
                             reinterpret_cast<intptr_t>(c->listing),
                             reinterpret_cast<intptr_t>(c->service)};
    memcpy(g_record.callbackSlots, addresses, sizeof addresses);
    memcpy(g_record.reservedSlots, c->reserved, sizeof c->reserved);
    if (g_printed[0] != '\0' && c->print != nullptr)
        c->print(g_printed, static_cast<int32_t>(strlen(g_printed)));
    return g_result;
}

}  // extern "C"
