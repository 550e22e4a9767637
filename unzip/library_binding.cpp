#include "unzip/library_binding.h"

#include <memory>
#include <string>

#include "common/failure.h"
#include "platform/platform.h"

namespace unzip {

namespace {

// Held until the process ends; a failed load is tried again at the next use.
std::unique_ptr<platform::Library>& Loaded() {
    static std::unique_ptr<platform::Library> library;
    return library;
}

platform::Library& Library() {
    std::unique_ptr<platform::Library>& library = Loaded();
    if (!library) {
        platform::Libraries* libraries = platform::Current().libraries;
        if (libraries == nullptr) common::Raise(common::FailureNumber::DllLoad, kLibraryName);
        library = libraries->LoadFromProgramFolder(kLibraryName);
        if (!library) common::Raise(common::FailureNumber::DllLoad, kLibraryName);
    }
    return *library;
}

template <typename Entry>
Entry Lookup(const char* name) {
    void* address = Library().Symbol(name);
    if (address == nullptr) {
        std::string entry(name);
        common::Raise(common::FailureNumber::DllEntryPoint, std::wstring(entry.begin(), entry.end()));
    }
    return reinterpret_cast<Entry>(address);
}

}  // namespace

UzpVersion2Entry VersionEntry() { return Lookup<UzpVersion2Entry>(kVersionEntryName); }

WizSingleEntryUnzipEntry UnzipEntry() { return Lookup<WizSingleEntryUnzipEntry>(kUnzipEntryName); }

}  // namespace unzip
