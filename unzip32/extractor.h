// One run of Wiz_SingleEntryUnzip: reads the directory, selects entries by
// the name lists and hands each to the handler of the run's mode (listing.h,
// data_modes.h, extraction.h), turning what happened into messages and a
// result code. Extracting and testing may use worker threads (pipeline.h)
// as `settings` allow; they are started and joined within run().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "unzip32/format/archive_input.h"
#include "unzip32/run/messages.h"
#include "unzip32/run/name_matcher.h"
#include "unzip32/run/options.h"
#include "unzip32/run/outcome.h"
#include "unzip32/run/password_flow.h"
#include "unzip32/run/run_settings.h"

namespace uz {

class Extractor {
public:
    Extractor(Options options, Callbacks callbacks, std::vector<std::string> include,
              std::vector<std::string> exclude, RunSettings settings = DefaultRunSettings());

    int32_t run();  // on the archive file the options name
    int32_t run(ArchiveInput& input, const std::string& utf8ArchiveName);

private:
    Options options_;
    Callbacks callbacks_;
    Reporter reporter_;
    NameFilter filter_;
    Outcome outcome_;
    PasswordFlow passwords_;
    RunSettings settings_;
};

}  // namespace uz
