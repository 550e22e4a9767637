// The options record decoded: any non-zero flag slot is on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "unzip32/unzip32.h"

namespace uz {

enum class Mode { Extract, Test, List, ToPrint };

struct Options {
    Mode mode = Mode::Extract;
    bool freshen = false;            // ExtractOnlyNewer
    bool update = false;             // ExtractNewer
    bool overwrite = false;          // OverWriteFiles
    bool prompt = false;             // PromptOverwrite
    bool spaceToUnderscore = false;
    bool displayComment = false;
    bool honorDirectories = false;
    bool convertLineEnds = false;    // ConvertCRtoCRLF
    bool verbose = false;
    bool caseSensitive = false;
    int32_t messageLevel = 0;
    int32_t privilege = 0;
    std::string zipFile;             // ANSI, as given
    std::string extractDir;          // ANSI, as given
};

// Listing wins over testing, testing over printing, printing over extracting.
Options DecodeOptions(const UnzipOptionsRecord& record);

struct Callbacks {
    UzPrintCallback print = nullptr;
    UzReplaceCallback replace = nullptr;
    UzPasswordCallback password = nullptr;
    UzListingCallback listing = nullptr;
    UzServiceCallback service = nullptr;
};

// Reads `count` names of a name list (ANSI, returned as UTF-8); a null slot
// ends the list early.
std::vector<std::string> ReadNameList(int32_t count, char** list);

}  // namespace uz
