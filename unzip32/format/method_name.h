// The short name of an entry's compression method, as listings show it
// ("Stored", "Defl:N" with the deflate level its flags record, "Unk:99").
#pragma once

#include <string>

#include "unzip32/format/entry.h"

namespace uz {

std::string MethodName(const Entry& entry);

}  // namespace uz
