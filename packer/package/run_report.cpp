#include "packer/package/run_report.h"

#include <string>
#include <system_error>

#include "packer/base/pack_error.h"
#include "packer/base/sha256.h"
#include "packer/base/text.h"

namespace packer {

namespace fs = std::filesystem;

void RunReport::Add(const std::vector<Finding>& findings, std::ostream& text) {
    if (json_) {
        findings_.insert(findings_.end(), findings.begin(), findings.end());
        return;
    }
    for (const Finding& finding : findings) text << Format(finding) << "\n";
}

int RunReport::End(int exitCode) {
    if (!json_) return exitCode;
    std::string files;
    try {
        for (const fs::path& file : written_) {
            std::error_code error;
            const uintmax_t size = fs::file_size(file, error);
            if (error) throw PackError("cannot read " + QuotedPath(file) + " back for its size: " + error.message());
            files += std::string(files.empty() ? "\n  " : ",\n  ") + "{\"file\": " + JsonString(PathText(file)) +
                     ", \"size\": " + std::to_string(size) + ", \"sha256\": \"" + FileSha256(file) + "\"}";
        }
    } catch (const PackError& e) {
        err_ << "setup-pack: error: " << e.what() << "\n";
        exitCode = kExitIo;
        files.clear();
    }
    out_ << FormatJson(findings_, "\"written\": [" + files + (files.empty() ? "]" : "\n]"));
    return exitCode;
}

}  // namespace packer
