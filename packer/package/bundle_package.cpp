#include "packer/package/bundle_package.h"

#include "packer/base/findings.h"
#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/check/package_check.h"
#include "packer/package/run_report.h"
#include "packer/single_file/bundle.h"
#include "packer/single_file/package_identity.h"

namespace packer {

int RunBundle(const BundleOptions& o, Host& host, std::ostream& out, std::ostream& err) {
    RunReport report(out, err, o.json);
    std::vector<Finding> refusals = CheckSingleFilePlan(
        o.singleFile, "FILE.exe",
        {{o.packageDir, "PACKAGEDIR", "single-file-inside-packagedir", "it would ship with the package folder"}}, {});
    const single_file::BrandingPlan branding = single_file::PlanBranding(
        o.branding, {single_file::PackageApplicationName(o.packageDir, host, o.codePage), "APPLICATION in Setup.ini"},
        o.singleFile);
    refusals.insert(refusals.end(), branding.refusals.begin(), branding.refusals.end());
    const std::string notWritten = "setup-pack: " + QuotedPath(o.singleFile.output) + " not written";
    if (!refusals.empty()) {
        report.Refusals(refusals);
        report.Error() << notWritten << "\n";
        return report.End(kExitErrors);
    }
    const std::vector<Finding> findings = CheckPackage(o.packageDir, host, o.codePage);
    report.Findings(findings);
    if (HasErrors(findings, o.strict)) {
        report.Error() << notWritten << ": the package has errors\n";
        return report.End(kExitErrors);
    }
    try {
        WriteSingleFile(o.singleFile.launcher, o.packageDir, o.singleFile.output, host,
                        {o.sign ? &*o.sign : nullptr, false}, &branding.identity);
    } catch (const PackError& e) {
        report.Error() << "setup-pack: error: " << e.what() << "\n" << notWritten << "\n";
        return report.End(e.kind() == PackError::Kind::Package ? kExitErrors : kExitIo);
    }
    report.Written(o.singleFile.output);
    report.Note() << "setup-pack: single file " << PathText(o.singleFile.output)
                  << (o.sign ? " written and signed\n" : " written\n");
    return report.End(ExitCodeOf(findings, o.strict));
}

}  // namespace packer
