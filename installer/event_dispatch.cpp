#include "installer/event_dispatch.h"

#include <cstdlib>
#include <string>

#include "common/number_text.h"
#include "platform/platform.h"

namespace installer {

void ReportUnhandledFailure(const common::Failure& failure) {
    std::wstring prompt = L"Run-time error '" + common::DecimalText(failure.Number()) + L"':\r\r" +
                          failure.Description();
    // The report itself must not fail the program a second time.
    common::Tolerate([&] {
        platform::dialogs().MsgBox(prompt, platform::kOkOnly | platform::kCritical, L"");
    });
    platform::processes().End(failure.Number() != 0 ? failure.Number() : 1);
    std::abort();  // End does not return
}

void DispatchEvent(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        ReportUnhandledFailure(common::CurrentFailure());
    }
}

}  // namespace installer
