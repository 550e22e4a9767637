#include "common/failure.h"

#include <new>

namespace common {

namespace {

std::string Ascii(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) out.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace

Failure::Failure(int32_t number, std::wstring description, std::wstring source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {
    what_ = "failure " + std::to_string(number_) + ": " + Ascii(description_);
    if (!source_.empty()) what_ += " (" + Ascii(source_) + ")";
}

std::wstring StandardDescription(FailureNumber number) {
    switch (number) {
        case FailureNumber::InvalidCall: return L"Invalid procedure call or argument";
        case FailureNumber::Overflow: return L"Overflow";
        case FailureNumber::OutOfMemory: return L"Out of memory";
        case FailureNumber::TypeMismatch: return L"Type mismatch";
        case FailureNumber::DllLoad: return L"Error in loading DLL";
        case FailureNumber::BadFileName: return L"Bad file name or number";
        case FailureNumber::FileNotFound: return L"File not found";
        case FailureNumber::DeviceIo: return L"Device I/O error";
        case FailureNumber::DiskFull: return L"Disk full";
        case FailureNumber::PermissionDenied: return L"Permission denied";
        case FailureNumber::DiskNotReady: return L"Disk not ready";
        case FailureNumber::PathFileAccess: return L"Path/File access error";
        case FailureNumber::PathNotFound: return L"Path not found";
        case FailureNumber::CannotCreateObject: return L"ActiveX component can't create object";
        case FailureNumber::DllEntryPoint: return L"Can't find DLL entry point";
    }
    return L"Application-defined or object-defined error";
}

void Raise(FailureNumber number, const std::wstring& detail) {
    std::wstring description = StandardDescription(number);
    if (!detail.empty()) description += L": " + detail;
    throw Failure(number, description);
}

Failure CurrentFailure() {
    try {
        throw;
    } catch (const Failure& f) {
        return f;
    } catch (const std::bad_alloc&) {
        return Failure(FailureNumber::OutOfMemory, StandardDescription(FailureNumber::OutOfMemory));
    } catch (const std::exception& e) {
        std::string what = e.what();
        return Failure(FailureNumber::InvalidCall,
                       StandardDescription(FailureNumber::InvalidCall) + L": " +
                           std::wstring(what.begin(), what.end()));
    }
}

}  // namespace common
