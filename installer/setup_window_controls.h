// What the installer's procedures need of the setup window itself.
#pragma once

#include <string>

namespace installer {

struct SetupWindowControls {
    virtual void SetCaption(const std::wstring& caption) = 0;   // the window caption
    virtual void SetMessage(const std::wstring& text) = 0;      // the `message` label
    virtual void SetTargetText(const std::wstring& text) = 0;   // the `target` box
    virtual std::wstring TargetText() = 0;
    virtual void Unload() = 0;                                  // destroys the window
    virtual ~SetupWindowControls() = default;
};

}  // namespace installer
