// The thread's COM apartment, entered for the life of its owner.
#pragma once

#include <objbase.h>

namespace installer::win32 {

class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    // Every successful entry (S_OK or S_FALSE) is paired with a leave.
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    bool Entered() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

}  // namespace installer::win32
