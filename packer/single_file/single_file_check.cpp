#include "packer/single_file/single_file_check.h"

#include <memory>

#include "launcher/payload.h"
#include "packer/check/program_kind.h"
#include "unzip32/reuse/os.h"

namespace packer {

std::string SingleFileProblem(const std::filesystem::path& file, const std::vector<PackedFile>& packed) {
    std::unique_ptr<uz::ArchiveInput> input;
    if (const uz::os::Status opened = uz::os::OpenArchive(file.native(), input); !opened.ok())
        return "cannot be read: " + uz::os::Describe(opened);
    if (std::string problem = ProgramKindProblem(*input, ProgramKind::Program); !problem.empty()) return problem;
    launcher::Payload payload(*input);
    const std::string unreadable = "carries a package the launcher cannot read: ";
    if (const launcher::PayloadResult opened = payload.Open(); !opened.ok()) return unreadable + opened.detail;
    if (payload.FileCount() != packed.size()) {
        return "carries " + std::to_string(payload.FileCount()) + " files, not the " + std::to_string(packed.size()) +
               " packed";
    }
    for (size_t i = 0; i < packed.size(); ++i) {
        if (payload.FileName(i) != packed[i].name || payload.FileSize(i) != packed[i].size ||
            payload.FileCrc(i) != packed[i].crc)
            return "carries " + payload.FileName(i) + " other than it was packed";
        if (const launcher::PayloadResult read = payload.Test(i); !read.ok()) return unreadable + read.detail;
    }
    return {};
}

}  // namespace packer
