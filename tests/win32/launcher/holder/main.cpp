// A program that keeps a file open, as one that setup.exe started might:
//   file_holder FILE EVENT
// opens FILE without delete sharing, sets the named event EVENT-held, and
// keeps the file until EVENT-done is set (two minutes at most).
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    using platform::win32::UniqueHandle;
    const platform::win32::UniqueFileHandle file(
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return 1;
    const std::wstring event = argv[2];
    SetEvent(UniqueHandle(OpenEventW(EVENT_MODIFY_STATE, FALSE, (event + L"-held").c_str())).get());
    WaitForSingleObject(UniqueHandle(OpenEventW(SYNCHRONIZE, FALSE, (event + L"-done").c_str())).get(), 120000);
    return 0;
}
