// The thread's COM apartment, entered for the life of its owner. The shell
// objects that make shortcuts need it, so a thread that cannot enter one
// fails at start, before anything is installed, not at the first shortcut.
#pragma once

#include <objbase.h>

#include "common/failure.h"

namespace installer::win32 {

class ComApartment {
public:
    // Raises failure 7 when memory runs out, 429 when COM fails otherwise.
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {
        if (result_ == E_OUTOFMEMORY) common::Raise(common::FailureNumber::OutOfMemory);
        // Entered already as multi-threaded: COM works, objects are only marshalled.
        if (FAILED(result_) && result_ != RPC_E_CHANGED_MODE) common::Raise(common::FailureNumber::CannotCreateObject);
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    // Every successful entry (S_OK or S_FALSE) is paired with a leave.
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

}  // namespace installer::win32
