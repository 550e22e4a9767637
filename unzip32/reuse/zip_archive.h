// What the launcher and the packer reuse of the library's reading of ZIP
// archives: the format's constants, an archive as random-access input, the
// readers of the central directory and of local headers, and the map of
// which bytes belong to which entry.
#pragma once

#include "unzip32/format/archive_input.h"
#include "unzip32/format/central_directory.h"
#include "unzip32/format/entry_spans.h"
#include "unzip32/format/zip_format.h"
