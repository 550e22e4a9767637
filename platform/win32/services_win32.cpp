#include "platform/win32/win32_services.h"

namespace platform::win32 {

Win32Platform& BindWin32Services() {
    static Win32Platform instance;
    Bind(Services{&instance.dialogs, &instance.files, &instance.processes, &instance.shell,
                  &instance.libraries, &instance.ansi});
    return instance;
}

}  // namespace platform::win32
