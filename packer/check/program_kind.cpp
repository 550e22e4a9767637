#include "packer/check/program_kind.h"

#include <cstdio>
#include <memory>

#include "launcher/pe_format.h"
#include "launcher/pe_image.h"
#include "unzip32/reuse/os.h"

namespace packer {

namespace pe = launcher::pe;

std::string ProgramKindProblem(uz::ArchiveInput& file, ProgramKind kind) {
    launcher::ImageLayout layout;
    std::string problem;
    if (!launcher::ReadImageLayout(file, layout, problem)) return "is not a Windows program: " + problem;
    if (layout.machine != pe::kMachineI386 || layout.magic != pe::kPe32Magic) {
        char machine[8];
        std::snprintf(machine, sizeof machine, "0x%04X", static_cast<unsigned>(layout.machine));
        return std::string("is not a 32-bit x86 program (machine ") + machine +
               (layout.magic == pe::kPe32PlusMagic ? ", a 64-bit image)" : ")");
    }
    if (!(layout.characteristics & pe::kFileExecutableImage)) return "is not marked as an image that can run";
    const bool library = (layout.characteristics & pe::kFileDll) != 0;
    if (kind == ProgramKind::Library && !library) return "is a program, not a library (DLL)";
    if (kind == ProgramKind::Program && library) return "is a library (DLL), not a program";
    return {};
}

std::string ProgramFileProblem(const std::filesystem::path& file, ProgramKind kind) {
    std::unique_ptr<uz::ArchiveInput> input;
    if (const uz::os::Status opened = uz::os::OpenArchive(file.native(), input); !opened.ok())
        return "cannot be read: " + uz::os::Describe(opened);
    return ProgramKindProblem(*input, kind);
}

}  // namespace packer
