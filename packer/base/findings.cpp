#include "packer/base/findings.h"

#include <algorithm>
#include <cstdio>

namespace packer {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out.push_back(c);  // UTF-8 passes as it is
                }
        }
    }
    return out += '"';
}

namespace {

const char* SeverityName(Severity severity) {
    return severity == Severity::Error ? "error" : "warning";
}

}  // namespace

Finding ToolRefusal(const char* code, std::string message) {
    return {"setup-pack", 0, Severity::Error, code, std::move(message)};
}

std::string Format(const Finding& finding) {
    std::string out = finding.file;
    if (finding.line > 0) {
        // Two appends: GCC 12 at -O3 takes ":" + text for an overlapping copy.
        out += ':';
        out += std::to_string(finding.line);
    }
    out += ": ";
    out += SeverityName(finding.severity);
    out += ": ";
    return out + finding.message;
}

std::string FormatJson(const std::vector<Finding>& findings, const std::string& more) {
    std::string out = "{\"findings\": [";
    size_t errors = 0;
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        errors += f.severity == Severity::Error ? 1 : 0;
        out += i == 0 ? "\n  " : ",\n  ";
        out += "{\"file\": " + JsonString(f.file) + ", \"line\": " + std::to_string(f.line) +
               ", \"severity\": \"" + SeverityName(f.severity) + "\", \"code\": " +
               JsonString(f.code) + ", \"message\": " + JsonString(f.message) + "}";
    }
    out += findings.empty() ? "]" : "\n]";
    out += ", \"errors\": " + std::to_string(errors) +
           ", \"warnings\": " + std::to_string(findings.size() - errors);
    if (!more.empty()) out += ", " + more;
    return out + "}\n";
}

bool HasErrors(const std::vector<Finding>& findings, bool strict) {
    return std::any_of(findings.begin(), findings.end(), [strict](const Finding& f) {
        return strict || f.severity == Severity::Error;
    });
}

int ExitCodeOf(const std::vector<Finding>& findings, bool strict) {
    if (HasErrors(findings, strict)) return kExitErrors;
    return findings.empty() ? kExitClean : kExitWarnings;
}

}  // namespace packer
