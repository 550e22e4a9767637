#include "packer/findings.h"

#include <algorithm>

namespace packer {

std::string Format(const Finding& finding) {
    std::string out = finding.file;
    if (finding.line > 0) {
        // Two appends: GCC 12 at -O3 takes ":" + text for an overlapping copy.
        out += ':';
        out += std::to_string(finding.line);
    }
    out += finding.severity == Severity::Error ? ": error: " : ": warning: ";
    return out + finding.message;
}

int ExitCodeOf(const std::vector<Finding>& findings) {
    int code = 0;
    for (const Finding& finding : findings) {
        code = std::max(code, finding.severity == Severity::Error ? 2 : 1);
    }
    return code;
}

}  // namespace packer
