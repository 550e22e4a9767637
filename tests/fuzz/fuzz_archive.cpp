// libFuzzer target over the archive reader: every input is listed, tested and
// extracted (from memory) into a scratch folder; testing and extracting hand
// every entry they may to worker threads. Beyond the sanitizers, one
// oracle: after extraction nothing may exist beside the destination folder.
#include <dirent.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "unzip32/extractor.h"
#include "unzip32/format/archive_input.h"

namespace {

std::string g_scratch;

int32_t UZ_CALL Print(const char* text, int32_t length) {
    // Every piece is a valid, bounded buffer.
    if (length <= 0 || length > 32800) std::abort();
    volatile char first = text[0], last = text[length - 1];
    (void)first, (void)last;
    return 0;
}
int g_passwordCalls = 0;
int32_t UZ_CALL Password(char* buffer, int32_t size, const char*, const char*) {
    if (++g_passwordCalls > 2) return 1;
    std::strncpy(buffer, "pw", static_cast<size_t>(size));
    return 0;
}
int32_t UZ_CALL Replace(char*) { return UZ_REPLACE_YES; }

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

void Run(const uint8_t* data, size_t size, uz::Mode mode) {
    uz::Options options;
    options.mode = mode;
    options.honorDirectories = true;
    options.overwrite = true;
    options.verbose = true;
    options.displayComment = true;
    options.convertLineEnds = (size & 1) != 0;
    options.extractDir = g_scratch + "/dest";
    uz::Callbacks callbacks;
    callbacks.print = Print;
    callbacks.password = Password;
    callbacks.replace = Replace;
    g_passwordCalls = 0;
    uz::RunSettings settings;
    settings.workers = 2;
    settings.window = 2;
    settings.leaveToWorkers = true;
    uz::MemoryInput input(std::string_view(reinterpret_cast<const char*>(data), size));
    uz::Extractor(options, callbacks, {}, {}, settings).run(input, "fuzz.zip");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/unzip32-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_scratch = pattern;
    std::atexit([] { nftw(g_scratch.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Run(data, size, uz::Mode::List);
    Run(data, size, uz::Mode::Test);
    Run(data, size, uz::Mode::Extract);
    // The oracle: only "dest" may stand in the scratch folder.
    DIR* dir = opendir(g_scratch.c_str());
    if (!dir) std::abort();
    while (const dirent* item = readdir(dir)) {
        const std::string name = item->d_name;
        if (name != "." && name != ".." && name != "dest") {
            std::fprintf(stderr, "written outside the destination: %s\n", name.c_str());
            std::abort();
        }
    }
    closedir(dir);
    nftw((g_scratch + "/dest").c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
