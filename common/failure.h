// Run-time failures: a number, a description and the source that raised it.
//
// Three ways of handling them are used across the program:
//  - plain propagation: the failure travels to the event dispatcher, which
//    shows the standard report and ends the program;
//  - re-raise under one's own source: `ReraiseAs` keeps number and description;
//  - tolerance: `Tolerate` runs one step and swallows its failure.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace common {

// The failure table. Numbers are the classic run-time error numbers.
enum class FailureNumber : int32_t {
    InvalidCall = 5,          // invalid procedure call or argument
    Overflow = 6,             // value does not fit the target type
    OutOfMemory = 7,
    TypeMismatch = 13,        // text cannot be converted
    DllLoad = 48,             // error in loading DLL
    BadFileName = 52,         // bad file name or number
    FileNotFound = 53,
    DeviceIo = 57,            // device I/O error
    DiskFull = 61,
    PermissionDenied = 70,
    DiskNotReady = 71,
    PathFileAccess = 75,      // path/file access error
    PathNotFound = 76,
    CannotCreateObject = 429, // a component object cannot be created
    DllEntryPoint = 453,      // can't find DLL entry point
};

class Failure : public std::exception {
public:
    Failure(int32_t number, std::wstring description, std::wstring source = {});
    Failure(FailureNumber number, std::wstring description, std::wstring source = {})
        : Failure(static_cast<int32_t>(number), std::move(description), std::move(source)) {}

    int32_t Number() const { return number_; }
    const std::wstring& Description() const { return description_; }
    const std::wstring& Source() const { return source_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int32_t number_;
    std::wstring description_;
    std::wstring source_;
    std::string what_;  // ASCII rendering for test output and logs
};

// The standard short description of a failure number ("Overflow", "File not found").
std::wstring StandardDescription(FailureNumber number);

// Raises the failure `number` with its standard description, or `detail`
// appended to it when given ("File not found: C:\x\Setup.ini").
[[noreturn]] void Raise(FailureNumber number, const std::wstring& detail = {});

// Turns whatever is in flight into a Failure: a Failure stays as it is, memory
// exhaustion becomes 7, anything else 5. Call only inside a catch block.
Failure CurrentFailure();

// Runs `step`; any failure it raises comes out again with the same number and
// description and `source` as its source.
template <typename Step>
decltype(auto) ReraiseAs(const wchar_t* source, Step&& step) {
    try {
        return std::forward<Step>(step)();
    } catch (...) {
        Failure f = CurrentFailure();
        throw Failure(f.Number(), f.Description(), source);
    }
}

// Runs `step` and abandons it on failure; reports whether it completed.
// Only failures are swallowed: anything that is not one (ending the program
// in a test, say) passes through.
template <typename Step>
bool Tolerate(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const Failure&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace common
