#include "packer/single_file/single_file_plan.h"

#include <system_error>

#include "packer/base/text.h"
#include "packer/base/tool_files.h"
#include "packer/files/file_ops.h"
#include "packer/single_file/bundle.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

bool IsProgramName(const fs::path& file) {
    std::string extension = PathText(file.extension());
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == ".exe";
}

}  // namespace

std::vector<Finding> CheckToolFile(const fs::path& path, const std::vector<fs::path>& looked, const char* name,
                                   const char* option) {
    std::error_code error;
    if (!path.empty() && fs::is_regular_file(path, error)) return {};
    if (looked.empty()) {
        return {ToolRefusal("shipped-file-missing", std::string(name) + " not found at " + QuotedPath(path))};
    }
    return {ToolRefusal("shipped-file-missing", std::string(name) + " not found (" + LookedFor(looked) +
                                                    "): give " + option + " PATH")};
}

std::vector<Finding> CheckSingleFilePlan(const SingleFilePlan& plan, const char* option,
                                         const std::vector<FolderKeptApart>& apart,
                                         const std::vector<fs::path>& inputs) {
    std::vector<Finding> refusals;
    const auto refuse = [&](const char* code, const std::string& why) {
        refusals.push_back(ToolRefusal(code, std::string(option) + " " + QuotedPath(plan.output) + " " + why));
    };
    std::error_code error;
    const fs::path folder = fs::absolute(plan.output, error).parent_path();
    if (!IsProgramName(plan.output)) {
        refuse("single-file-name", "does not end in .exe: Windows opens no other file as a program");
    }
    if (fs::is_directory(plan.output, error)) {
        refuse("single-file-folder", "is a folder");
    } else if (!fs::exists(folder, error)) {
        refuse("single-file-folder", "lies in " + QuotedPath(folder) + ", which does not exist");
    } else if (!fs::is_directory(folder, error)) {
        refuse("single-file-folder", "lies in " + QuotedPath(folder) + ", which is not a folder");
    }
    for (const FolderKeptApart& kept : apart) {
        if (IsWithin(plan.output, kept.folder)) refuse(kept.code, std::string("lies inside ") + kept.name + ": " + kept.why);
    }
    std::vector<fs::path> read = inputs;
    read.push_back(plan.launcher);
    for (const fs::path& input : read) {
        if (!input.empty() && fs::equivalent(plan.output, input, error)) {
            refuse("single-file-is-input", "is " + QuotedPath(input) + ", which the single file is made from");
        }
    }
    const std::vector<Finding> launcher = CheckToolFile(plan.launcher, plan.launcherLooked, kLauncherFile, "--launcher");
    if (!launcher.empty()) {
        refusals.insert(refusals.end(), launcher.begin(), launcher.end());
    } else if (const std::string problem = LauncherProblem(plan.launcher); !problem.empty()) {
        refusals.push_back(ToolRefusal("launcher-invalid", problem));
    }
    return refusals;
}

}  // namespace packer
