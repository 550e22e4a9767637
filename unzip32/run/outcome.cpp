#include "unzip32/run/outcome.h"

namespace uz {

int Outcome::rank(int32_t code) {
    switch (code) {
    case UZ_OK: return 0;
    case UZ_WARNING: return 1;
    case UZ_FORMAT_ERROR: return 2;
    case UZ_UNEXPECTED_END: return 3;
    case UZ_SEVERE_ERROR: return 4;
    case UZ_NO_MEMORY: return 5;
    default: return 1;
    }
}

void Outcome::fail(int32_t code) {
    if (rank(code) > rank(worst_)) worst_ = code;
}

int32_t Outcome::result(bool includesGiven, bool someIncludeUnmatched) const {
    if (worst_ != UZ_OK) return worst_;
    if (passwordSkipped_ > 0) return filesDone_ == 0 ? UZ_BAD_PASSWORD : UZ_WARNING;
    if (unsupported_ > 0) return UZ_UNSUPPORTED;
    if (includesGiven && selected_ == 0) return UZ_NO_MATCH;
    if (someIncludeUnmatched) return UZ_WARNING;
    return UZ_OK;
}

}  // namespace uz
