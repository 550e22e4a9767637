// What the single file says about itself, in Explorer, its Properties, the
// download and elevation prompts: its icon, version information and the
// description in its manifest. Every value here has been checked
// (branding_options.h); brand_launcher.h writes them into the launcher.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "packer/single_file/icon_file.h"
#include "packer/single_file/version_info.h"

namespace packer::single_file {

struct Identity {
    std::vector<IconImage> icon;           // empty: the launcher's own icon
    std::optional<VersionNumber> version;  // FileVersion and ProductVersion
    std::wstring productName;              // the application's name; empty: none
    std::wstring description;              // FileDescription and the manifest's description
    std::optional<std::wstring> company;   // CompanyName
    std::optional<std::wstring> copyright; // LegalCopyright
    std::wstring fileName;                 // the single file's name: OriginalFilename
};

}  // namespace packer::single_file
