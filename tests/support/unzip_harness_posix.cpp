// libunzip32.so, linked into the test program; the one-thread build of it
// loaded from where the build put it.
#include <dlfcn.h>

#include "unzip_harness.h"

namespace uztest {

const Entries& Library() {
    static const Entries linked{&UzpVersion2, &Wiz_SingleEntryUnzip};
    return linked;
}

namespace {

// Loaded with its own copy of everything: nothing of it stands in for the
// linked library's, nor the other way round.
struct LoadedLibrary {
    void* handle;
    Entries entries;

    explicit LoadedLibrary(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        if (!handle) return;
        entries.version = reinterpret_cast<decltype(entries.version)>(dlsym(handle, "UzpVersion2"));
        entries.unzip = reinterpret_cast<decltype(entries.unzip)>(dlsym(handle, "Wiz_SingleEntryUnzip"));
    }
    ~LoadedLibrary() {
        if (handle) dlclose(handle);
    }
};

}  // namespace

const Entries& OneThreadLibrary() {
    static const LoadedLibrary library(UNZIP32_SINGLE_LIBRARY);
    return library.entries;
}

std::string LibraryText(const fs::path& path) { return path.string(); }
fs::path LongForm(const fs::path& path) { return path; }

}  // namespace uztest
