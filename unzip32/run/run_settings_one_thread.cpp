// The library that tests and benchmarks hold the pipeline against: the
// calling thread alone.
#include "unzip32/run/run_settings.h"

namespace uz {

RunSettings DefaultRunSettings() { return RunSettings{}; }

}  // namespace uz
