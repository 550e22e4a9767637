// The extra fields the library reads: Zip64 sizes and offset, the extended
// timestamp and NTFS times, the Unicode path, and the AES marker.
#pragma once

#include <string_view>

#include "unzip32/format/entry.h"

namespace uz {

// Applies the central directory's extra fields to `entry`, whose 32-bit
// fields are already filled. Returns false when a Zip64 field the entry
// needs is missing or short. Malformed fields are otherwise skipped.
bool ApplyCentralExtraFields(std::string_view extra, Entry& entry);

}  // namespace uz
