#include "packer/single_file/branding_options.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/single_file/brand_launcher.h"
#include "packer/single_file/bundle.h"

namespace packer::single_file {

namespace fs = std::filesystem;

namespace {

// Eight texts of this length (and a description made of a name of this
// length) still fit the version resource's 16-bit length together.
constexpr size_t kMaxTextUnits = 4000;
// Larger than any icon of 256-pixel images; what is larger is no icon.
constexpr uintmax_t kMaxIconFileSize = 16 << 20;

class Planner {
public:
    explicit Planner(BrandingPlan& plan) : plan_(plan) {}

    void Refuse(const char* code, const std::string& message) { plan_.refusals.push_back(ToolRefusal(code, message)); }

    // A text of the version resource (and, for the description, of the manifest).
    void Text(const std::string& what, const std::wstring& text) {
        size_t units = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<uint32_t>(text[i]);
            const bool high = c >= 0xD800 && c <= 0xDBFF;
            const bool low = c >= 0xDC00 && c <= 0xDFFF;
            if (sizeof(wchar_t) == 2 && high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                units += 2;
                ++i;
                continue;
            }
            if (high || low) return Refuse("version-text", what + " holds a lone surrogate, which is no character");
            if (c < 0x20 || c == 0x7F) {
                return Refuse("version-text", what + " holds the control character " + ShownCharacter(c) +
                                                  ": the file's Properties show each value on one line");
            }
            units += c > 0xFFFF ? 2 : 1;
        }
        if (text.empty()) Refuse("version-text", what + " is empty");
        if (units > kMaxTextUnits) {
            Refuse("version-text", what + " is " + std::to_string(units) + " characters long; the version information"
                                          " holds at most " + std::to_string(kMaxTextUnits));
        }
    }

    void Icon(const fs::path& file) {
        const std::string what = "--icon " + QuotedPath(file);
        std::error_code error;
        const uintmax_t size = fs::file_size(file, error);
        if (error) return Refuse("icon-unreadable", what + " cannot be read: " + error.message());
        if (size > kMaxIconFileSize) return Refuse("icon-invalid", what + " is too large to be an icon file");
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) return Refuse("icon-unreadable", what + " cannot be read");
        std::string problem;
        if (!ReadIconFile(bytes, plan_.identity.icon, problem)) Refuse("icon-invalid", what + " " + problem);
    }

    // The launcher branded once in memory, when nothing else stands in the way.
    void DryRun(const fs::path& launcher) {
        if (!plan_.refusals.empty() || !LauncherProblem(launcher).empty()) return;
        std::ifstream in(launcher, std::ios::binary);
        const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        try {
            BrandLauncher(image, plan_.identity);
        } catch (const PackError& e) {
            Refuse("launcher-invalid", QuotedPath(launcher) + " cannot carry the single file's identity: " + e.what());
        }
    }

private:
    BrandingPlan& plan_;
};

}  // namespace

BrandingPlan PlanBranding(const BrandingOptions& options, const ApplicationName& application,
                          const SingleFilePlan& singleFile) {
    BrandingPlan plan;
    Planner planner(plan);
    Identity& identity = plan.identity;
    if (options.icon) planner.Icon(*options.icon);
    if (options.productVersion) {
        identity.version = ParseVersion(*options.productVersion);
        if (!identity.version) {
            planner.Refuse("product-version", "--product-version " + Quoted(*options.productVersion) +
                                                  " is not a version of numbers: give A.B.C or A.B.C.D, each a"
                                                  " whole number from 0 to 65535");
        }
    }
    const auto text = [&](const char* option, const std::optional<std::wstring>& value) {
        if (value) planner.Text(std::string(option) + " " + Quoted(*value), *value);
        return value;
    };
    identity.company = text("--company", options.company);
    identity.copyright = text("--copyright", options.copyright);
    if (application.name && !application.name->empty()) {
        planner.Text(std::string("the application's name (") + application.source + ") " + Quoted(*application.name),
                     *application.name);
        identity.productName = *application.name;
    }
    identity.description = text("--description", options.description)
                               .value_or(identity.productName.empty() ? L"Setup" : identity.productName + L" Setup");
    identity.fileName = FromUtf8(PathText(singleFile.output.filename()));
    planner.DryRun(singleFile.launcher);
    return plan;
}

}  // namespace packer::single_file
