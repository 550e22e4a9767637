// The shell object of the Windows Script Host, driven through its dispatch
// interface: SpecialFolders.Item(name), CreateShortcut(path) and the shortcut's
// TargetPath, Arguments, WorkingDirectory and Save.
#include <shlobj.h>

#include <string>
#include <vector>

#include "common/failure.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

// The shell object's class, the interface asked of it at creation, and the
// shortcut object's interface.
constexpr CLSID kClsidWshShell = {0xF935DC22, 0x1CF0, 0x11D0, {0xAD, 0xB9, 0x00, 0xC0, 0x4F, 0xD5, 0x8A, 0x0B}};
constexpr IID kIidWshShell3 = {0x41904400, 0xBE18, 0x11D3, {0xA2, 0x8B, 0x00, 0x10, 0x4B, 0xD3, 0x50, 0x90}};
constexpr IID kIidWshShortcut = {0xF935DC23, 0x1CF0, 0x11D0, {0xAD, 0xB9, 0x00, 0xC0, 0x4F, 0xD5, 0x8A, 0x0B}};

std::wstring SystemMessage(HRESULT hr) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(hr), 0,
                                  reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message;
    if (length != 0 && text != nullptr) {
        message.assign(text, length);
        while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                    message.back() == L' ' || message.back() == L'.')) {
            message.pop_back();
        }
    }
    LocalFree(text);
    if (message.empty()) {
        wchar_t code[16];
        wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(hr));
        message = std::wstring(L"Automation error ") + code;
    }
    return message;
}

[[noreturn]] void RaiseComFailure(HRESULT hr, const std::wstring& what, EXCEPINFO* info = nullptr) {
    std::wstring description;
    if (info != nullptr && info->bstrDescription != nullptr) description = info->bstrDescription;
    if (description.empty()) description = SystemMessage(hr);
    throw common::Failure(static_cast<int32_t>(hr), what + L": " + description);
}

// Late-bound calls on a dispatch interface.
class Dispatcher {
public:
    explicit Dispatcher(IDispatch* target) : target_(target) {}

    // Invokes `name` with text arguments (in natural order); returns the result.
    void Call(const wchar_t* name, WORD kind, const std::vector<std::wstring>& arguments,
              VARIANT* result) {
        DISPID id = Id(name);
        // Dispatch arguments travel in reverse order.
        std::vector<UniqueBstr> texts;
        std::vector<VARIANTARG> args(arguments.size());
        for (size_t i = 0; i < arguments.size(); ++i) {
            texts.emplace_back(SysAllocStringLen(arguments[i].data(),
                                                 static_cast<UINT>(arguments[i].size())));
            if (!texts.back()) common::Raise(common::FailureNumber::OutOfMemory);
            VARIANTARG& arg = args[arguments.size() - 1 - i];
            VariantInit(&arg);
            arg.vt = VT_BSTR;
            arg.bstrVal = texts.back().get();
        }
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        DISPID named = DISPID_PROPERTYPUT;
        if (kind == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        EXCEPINFO info{};
        HRESULT hr = target_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result,
                                     &info, nullptr);
        UniqueBstr source(info.bstrSource), description(info.bstrDescription),
            help(info.bstrHelpFile);
        if (FAILED(hr)) RaiseComFailure(hr, name, &info);
    }

    void Put(const wchar_t* name, const std::wstring& value) {
        Call(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
    }

private:
    DISPID Id(const wchar_t* name) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = target_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) RaiseComFailure(hr, name);
        return id;
    }

    IDispatch* target_;
};

// Takes the dispatch interface out of a result that must hold an object.
ComPtr<IDispatch> ObjectOf(VARIANT* value, const wchar_t* what, const IID& iid) {
    if (value->vt != VT_DISPATCH || value->pdispVal == nullptr) {
        throw common::Failure(common::FailureNumber::TypeMismatch,
                              std::wstring(what) + L" did not return an object");
    }
    ComPtr<IDispatch> object;
    HRESULT hr = value->pdispVal->QueryInterface(iid, reinterpret_cast<void**>(object.put()));
    if (FAILED(hr)) RaiseComFailure(hr, what);
    return object;
}

class WshShortcutObject final : public WshShortcut {
public:
    explicit WshShortcutObject(ComPtr<IDispatch> shortcut) : shortcut_(std::move(shortcut)) {}

    void SetTargetPath(const std::wstring& path) override { Dispatcher(shortcut_.get()).Put(L"TargetPath", path); }
    void SetArguments(const std::wstring& arguments) override {
        Dispatcher(shortcut_.get()).Put(L"Arguments", arguments);
    }
    void SetWorkingDirectory(const std::wstring& folder) override {
        Dispatcher(shortcut_.get()).Put(L"WorkingDirectory", folder);
    }
    void Save() override { Dispatcher(shortcut_.get()).Call(L"Save", DISPATCH_METHOD, {}, nullptr); }

private:
    ComPtr<IDispatch> shortcut_;
};

class WshShellObject final : public WshShell {
public:
    explicit WshShellObject(ComPtr<IDispatch> shell) : shell_(std::move(shell)) {}

    std::wstring SpecialFolder(const std::wstring& name) override {
        try {
            return ItemOfSpecialFolders(name);
        } catch (const common::Failure&) {
            // Some hosts of the component (Wine's among them) leave names of
            // the collection unimplemented; the shell's own folder table
            // knows the same folders.
            std::wstring folder = KnownFolder(name);
            if (folder.empty()) throw;
            return folder;
        }
    }

    std::unique_ptr<WshShortcut> CreateShortcut(const std::wstring& path) override {
        UniqueVariant result;
        Dispatcher(shell_.get()).Call(L"CreateShortcut", DISPATCH_METHOD, {path}, result.get());
        return std::make_unique<WshShortcutObject>(
            ObjectOf(result.get(), L"CreateShortcut", kIidWshShortcut));
    }

private:
    static std::wstring KnownFolder(const std::wstring& name) {
        int csidl = name == L"Desktop"    ? CSIDL_DESKTOPDIRECTORY
                    : name == L"Programs" ? CSIDL_PROGRAMS
                                          : -1;
        wchar_t path[MAX_PATH];
        if (csidl < 0 || FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
            return {};
        }
        return path;
    }

    std::wstring ItemOfSpecialFolders(const std::wstring& name) {
        UniqueVariant collection;
        Dispatcher(shell_.get()).Call(L"SpecialFolders", DISPATCH_PROPERTYGET, {}, collection.get());
        ComPtr<IDispatch> folders = ObjectOf(collection.get(), L"SpecialFolders", IID_IDispatch);
        UniqueVariant path;
        Dispatcher(folders.get()).Call(L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {name},
                                       path.get());
        if (path->vt != VT_BSTR) {
            HRESULT hr = VariantChangeType(path.get(), path.get(), 0, VT_BSTR);
            if (FAILED(hr)) RaiseComFailure(hr, L"Item");
        }
        return path->bstrVal != nullptr ? std::wstring(path->bstrVal, SysStringLen(path->bstrVal))
                                        : std::wstring();
    }

    ComPtr<IDispatch> shell_;
};

// The shell object cannot be had: no COM on this thread, or no component.
[[noreturn]] void NoShellObject() {
    throw common::Failure(common::FailureNumber::CannotCreateObject,
                          common::StandardDescription(common::FailureNumber::CannotCreateObject));
}

}  // namespace

std::unique_ptr<WshShell> Win32Shell::CreateShell() {
    if (!comStarted_) NoShellObject();
    // The interface asked for is a dual one: its first methods are IDispatch's.
    ComPtr<IDispatch> shell;
    HRESULT hr = CoCreateInstance(kClsidWshShell, nullptr, CLSCTX_INPROC_SERVER, kIidWshShell3,
                                  reinterpret_cast<void**>(shell.put()));
    // Some hosts of the component (Wine's among them) register this class
    // identifier but serve the shell object only under the class its program
    // identifier names today; the object and its interface are the same.
    CLSID current{};
    if (hr == CLASS_E_CLASSNOTAVAILABLE && SUCCEEDED(CLSIDFromProgID(L"WScript.Shell", &current))) {
        hr = CoCreateInstance(current, nullptr, CLSCTX_INPROC_SERVER, kIidWshShell3,
                              reinterpret_cast<void**>(shell.put()));
    }
    if (FAILED(hr)) NoShellObject();
    return std::make_unique<WshShellObject>(std::move(shell));
}

}  // namespace platform::win32
