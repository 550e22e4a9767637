#include "unzip32/format/method_name.h"

namespace uz {

std::string MethodName(const Entry& e) {
    switch (e.method) {
    case zip::kMethodStored: return "Stored";
    case zip::kMethodDeflated: {
        static const char* const kLevels[] = {"Defl:N", "Defl:X", "Defl:F", "Defl:S"};
        return kLevels[(e.flags >> 1) & 3];
    }
    case zip::kMethodShrunk: return "Shrunk";
    case zip::kMethodImploded: return "Implode";
    case zip::kMethodDeflate64: return "Def64";
    case zip::kMethodBzip2: return "BZip2";
    case zip::kMethodLzma: return "LZMA";
    case zip::kMethodZstd: return "Zstd";
    case zip::kMethodXz: return "XZ";
    case zip::kMethodPpmd: return "PPMd";
    case zip::kMethodAes: return "AES";
    default: return "Unk:" + std::to_string(e.method);
    }
}

}  // namespace uz
