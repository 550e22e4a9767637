#include "unzip32/run/options.h"

#include "unzip32/os/os.h"

namespace uz {

Options DecodeOptions(const UnzipOptionsRecord& r) {
    Options o;
    if (r.ExtractList) o.mode = Mode::List;
    else if (r.TestZip) o.mode = Mode::Test;
    else if (r.WriteToStdOut) o.mode = Mode::ToPrint;
    o.freshen = r.ExtractOnlyNewer != 0;
    o.update = r.ExtractNewer != 0;
    o.overwrite = r.OverWriteFiles != 0;
    o.prompt = r.PromptOverwrite != 0;
    o.spaceToUnderscore = r.SpaceToUnderScore != 0;
    o.displayComment = r.DisplayComment != 0;
    o.honorDirectories = r.HonorDirectories != 0;
    o.convertLineEnds = r.ConvertCRtoCRLF != 0;
    o.verbose = r.Verbose != 0;
    o.caseSensitive = r.CaseSensitive != 0;
    o.messageLevel = r.MessageLevel;
    o.privilege = r.Privilege;
    if (r.ZipFileName) o.zipFile = r.ZipFileName;
    if (r.ExtractDir) o.extractDir = r.ExtractDir;
    return o;
}

std::vector<std::string> ReadNameList(int32_t count, char** list) {
    std::vector<std::string> names;
    if (!list) return names;
    for (int32_t i = 0; i < count && i < UZ_NAME_LIST_SLOTS && list[i]; ++i) names.push_back(os::AnsiToUtf8(list[i]));
    return names;
}

}  // namespace uz
