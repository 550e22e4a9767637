// Extracts an archive as the installer would and stops in the middle of it,
// for the test that started it to end it there:
//   halting_extraction ARCHIVE DESTINATION EVENT
// EVENT, a named event, is set once the extraction waits.
#include <windows.h>

#include "halting_extraction.h"
#include "platform/win32/handles.h"
#include "unzip_harness.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    UnzipOptionsRecord options = uztest::Call::InstallerOptions();
    options.ZipFileName = argv[1];
    options.ExtractDir = argv[2];
    return uztest::ExtractUntilHalfway(options, [&] {
        SetEvent(platform::win32::UniqueHandle(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3])).get());
    });
}
