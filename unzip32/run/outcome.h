// Collects what happened to the entries of one run and turns it into the
// result code: the worst failure wins; password and unsupported-method skips
// count only when nothing worse happened.
#pragma once

#include <cstdint>

#include "unzip32/unzip32.h"

namespace uz {

class Outcome {
public:
    void fail(int32_t code);        // UZ_WARNING, UZ_FORMAT_ERROR, UZ_SEVERE_ERROR, UZ_UNEXPECTED_END, UZ_NO_MEMORY
    void unsupported() { ++unsupported_; }
    void passwordSkipped() { ++passwordSkipped_; }
    void fileDone() { ++filesDone_; }
    void selected() { ++selected_; }

    int32_t result(bool includesGiven, bool someIncludeUnmatched) const;

private:
    static int rank(int32_t code);
    int32_t worst_ = UZ_OK;
    unsigned unsupported_ = 0;
    unsigned passwordSkipped_ = 0;
    unsigned filesDone_ = 0;
    unsigned selected_ = 0;
};

}  // namespace uz
