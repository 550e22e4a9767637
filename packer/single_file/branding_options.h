// The options that brand the single file (--icon, --product-version,
// --company, --copyright, --description of `build --single-file` and
// `bundle`), checked before anything is written: each refusal names the
// option, or where the application's name comes from.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "packer/base/findings.h"
#include "packer/single_file/identity.h"
#include "packer/single_file/single_file_plan.h"

namespace packer::single_file {

struct BrandingOptions {
    std::optional<std::filesystem::path> icon;  // an .ico file
    std::optional<std::wstring> productVersion;
    std::optional<std::wstring> company;
    std::optional<std::wstring> copyright;
    std::optional<std::wstring> description;  // default: the application's name and " Setup"
};

// The application's name (ProductName) and, for messages, where it comes
// from: "--name", "APPLICATION in Setup.ini".
struct ApplicationName {
    std::optional<std::wstring> name;
    const char* source;
};

struct BrandingPlan {
    std::vector<Finding> refusals;
    Identity identity;  // complete when there are no refusals
};

// Refused: an icon that cannot be read or is not an icon file Windows can
// show (icon_file.h); a version that is not three or four numbers; empty
// text, text with a control character or a lone surrogate, or longer than
// the version resource holds beside the others. With no refusal so far, the
// launcher of `singleFile` is branded in memory once, so that a launcher
// whose resources cannot be rebuilt is refused before anything is written.
BrandingPlan PlanBranding(const BrandingOptions& options, const ApplicationName& application,
                          const SingleFilePlan& singleFile);

}  // namespace packer::single_file
