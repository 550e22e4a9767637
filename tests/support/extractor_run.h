// The library's own run (unzip32_core, linked by the test) with the options
// the installer sets, the recording callbacks of unzip_harness.h and settings
// of the test's choosing: a window, workers, where output files come from.
#pragma once

#include "unzip32/extractor.h"
#include "unzip_harness.h"

namespace uztest {

// `options` lose their archive and folder to `zip` and `dir`.
inline int32_t RunExtractor(const fs::path& zip, const fs::path& dir, const uz::RunSettings& settings,
                            UnzipOptionsRecord options = Call::InstallerOptions(),
                            const UnzipCallbackRecord& callbacks = RecordingCallbacks()) {
    const std::string zipText = LibraryText(zip), dirText = LibraryText(dir);
    options.ZipFileName = zipText.c_str();
    options.ExtractDir = dirText.c_str();
    return uz::Extractor(uz::DecodeOptions(options),
                         {callbacks.print, callbacks.replace, callbacks.password, callbacks.listing,
                          callbacks.service},
                         {}, {}, settings)
        .run();
}

}  // namespace uztest
