// `setup-pack bundle`: the single-file installer made from a package folder
// that exists already. The folder is checked as `setup-pack check` checks
// it: errors stop the bundle, warnings are shown and do not. The folder is
// only read; with a sign command, copies of its programs are signed.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

#include "packer/base/host.h"
#include "packer/check/code_page.h"
#include "packer/sign/sign_command.h"
#include "packer/single_file/branding_options.h"
#include "packer/single_file/single_file_plan.h"

namespace packer {

struct BundleOptions {
    std::filesystem::path packageDir;
    SingleFilePlan singleFile;
    single_file::BrandingOptions branding;
    std::optional<SignCommand> sign;
    CodePage codePage = CodePage::Default();  // for the check
    bool strict = false;                      // warnings count as errors
    bool json = false;                        // report as one JSON object (run_report.h)
};

// Returns the exit code (findings.h): the check's, or 2 when the package has
// errors or the file cannot be made as asked, 74 when writing or signing
// fails. The check's findings go to `out`, refusals to `err` (with `json`,
// all to `out` in one object: run_report.h).
int RunBundle(const BundleOptions& options, Host& host, std::ostream& out, std::ostream& err);

}  // namespace packer
