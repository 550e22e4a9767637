// What the launcher reuses of the library's handling of an entry's bytes:
// the reader that inflates and checks them, and the sinks they go to.
#pragma once

#include "unzip32/data/entry_reader.h"
#include "unzip32/data/sinks.h"
