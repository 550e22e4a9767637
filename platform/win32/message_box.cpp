#include <string>

#include "common/application.h"
#include "common/failure.h"
#include "common/number_text.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

int Win32Dialogs::MsgBox(const std::wstring& prompt, int style, const std::wstring& title) {
    const std::wstring shown = title.empty() ? std::wstring(common::kApplicationTitle) : title;
    // A box may come after the window was unloaded; it then has no owner.
    HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
    // Without an owner (the start-up report comes before the window exists)
    // the box is task-modal and brought to the front.
    UINT flags = static_cast<UINT>(style) | (owner ? 0 : MB_TASKMODAL | MB_SETFOREGROUND);
    int answer = MessageBoxW(owner, prompt.c_str(), shown.c_str(), flags);
    if (answer == 0) {
        common::Raise(common::FailureNumber::InvalidCall,
                      L"message box could not be shown (error " + common::DecimalText(GetLastError()) +
                          L")");
    }
    return answer;
}

}  // namespace platform::win32
