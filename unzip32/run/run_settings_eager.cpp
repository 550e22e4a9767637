// The test trees' library: every entry that may goes through the pipeline,
// on any machine, with a window small enough to fill.
#include "unzip32/run/run_settings.h"

namespace uz {

RunSettings DefaultRunSettings() {
    RunSettings settings;
    settings.workers = 3;
    settings.window = 2;
    settings.leaveToWorkers = true;
    return settings;
}

}  // namespace uz
