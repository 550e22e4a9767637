// The thread's COM apartment, entered for the life of its owner.
#pragma once

#include <objbase.h>

namespace platform::win32 {

class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    // Every successful entry (S_OK or S_FALSE) is paired with a leave.
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    // Whether COM objects can be made on this thread. Entered already as
    // multi-threaded, they can: they are only marshalled.
    bool Started() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

}  // namespace platform::win32
