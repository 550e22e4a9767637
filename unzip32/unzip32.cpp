// The library's two entry points.
#include "unzip32/unzip32.h"

#include <zlib.h>

#include <cstring>
#include <new>

#include "unzip32/extractor.h"

namespace {

constexpr uint8_t kVersion[4] = {1, 0, 0, 0};
constexpr uint8_t kInterfaceVersion[4] = {1, 0, 0, 0};
constexpr char kReleaseDate[] = "2026-12-07";

void CopyText(char* field, size_t width, const char* text) {
    std::memset(field, 0, width);
    std::strncpy(field, text, width - 1);
}

uz::Callbacks ReadCallbacks(const UnzipCallbackRecord* record) {
    uz::Callbacks callbacks;
    if (record) {
        callbacks.print = record->print;
        callbacks.replace = record->replace;
        callbacks.password = record->password;
        callbacks.listing = record->listing;
        callbacks.service = record->service;
    }
    return callbacks;
}

void Complain(UzPrintCallback print, const char* text) {
    if (print) print(text, static_cast<int32_t>(std::strlen(text)));
}

}  // namespace

extern "C" {

UZ_EXPORT int32_t UZ_CALL UzpVersion2(UnzipVersionRecord* version) {
    if (!version || version->length != UZ_VERSION_RECORD_SIZE) return UZ_BAD_OPTIONS;
    version->flag = 2;  // zlib in use, not a beta
    CopyText(version->betaLevel, sizeof version->betaLevel, "");
    CopyText(version->date, sizeof version->date, kReleaseDate);
    CopyText(version->zlibVersion, sizeof version->zlibVersion, zlibVersion());
    std::memcpy(version->library, kVersion, 4);
    std::memcpy(version->zipinfo, kVersion, 4);
    std::memset(version->os2dll, 0, 4);
    std::memcpy(version->windll, kInterfaceVersion, 4);
    return UZ_OK;
}

UZ_EXPORT int32_t UZ_CALL Wiz_SingleEntryUnzip(int32_t includeCount, char** includeList, int32_t excludeCount,
                                               char** excludeList, UnzipOptionsRecord* options,
                                               UnzipCallbackRecord* callbacks) {
    const uz::Callbacks cb = ReadCallbacks(callbacks);
    if (!options) {
        Complain(cb.print, "error: no options record was given\n");
        return UZ_BAD_OPTIONS;
    }
    if (includeCount < 0 || includeCount > UZ_NAME_LIST_SLOTS || excludeCount < 0 ||
        excludeCount > UZ_NAME_LIST_SLOTS || (includeCount > 0 && !includeList) ||
        (excludeCount > 0 && !excludeList)) {
        Complain(cb.print, "error: invalid name list\n");
        return UZ_BAD_OPTIONS;
    }
    try {
        uz::Extractor extractor(uz::DecodeOptions(*options), cb, uz::ReadNameList(includeCount, includeList),
                                uz::ReadNameList(excludeCount, excludeList));
        return extractor.run();
    } catch (const std::bad_alloc&) {
        Complain(cb.print, "error: out of memory\n");
        return UZ_NO_MEMORY;
    } catch (...) {
        Complain(cb.print, "error: unexpected internal failure\n");
        return UZ_SEVERE_ERROR;
    }
}

}  // extern "C"
