// What `build` and `bundle` report. As text: the package's findings and the
// closing lines on standard output, refusals and failures on standard error.
// With --json: on standard output one JSON object at the end, the findings
// (refusals too) as `check --json` gives them and every file written, with
// its size and SHA-256; every line for a person goes to standard error.
#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

#include "packer/base/findings.h"

namespace packer {

class RunReport {
public:
    RunReport(std::ostream& out, std::ostream& err, bool json) : out_(out), err_(err), json_(json) {}

    // Findings about the package / refusals before anything is written.
    void Findings(const std::vector<Finding>& findings) { Add(findings, out_); }
    void Refusals(const std::vector<Finding>& findings) { Add(findings, err_); }
    // A line for the person reading: standard output, or with --json standard error.
    std::ostream& Note() { return json_ ? err_ : out_; }
    // Failures and progress.
    std::ostream& Error() { return err_; }
    // A file in place at the end of the run.
    void Written(const std::filesystem::path& file) { written_.push_back(file); }

    // Returns the exit code; with --json prints the object first. A written
    // file that cannot be read back for its digest makes it 74.
    int End(int exitCode);

private:
    void Add(const std::vector<Finding>& findings, std::ostream& text);

    std::ostream& out_;
    std::ostream& err_;
    bool json_;
    std::vector<Finding> findings_;
    std::vector<std::filesystem::path> written_;
};

}  // namespace packer
