#include "listing.h"

#include <algorithm>

#include "os.h"
#include "text_format.h"

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

uint32_t Ratio(uint64_t size, uint64_t compressed) {
    if (size == 0 || compressed >= size) return 0;
    return static_cast<uint32_t>((size - compressed) * 100 / size);
}

int32_t ListMode::entry(const Entry& e, const EntrySpan&) {
    DosFields f = SplitDos(e.dosDate, e.dosTime);
    if (e.mtime && *e.mtime >= 0) {
        const os::LocalTime l = os::UnixToLocal(*e.mtime);
        f = {l.year, l.month, l.day, l.hour, l.minute, l.second, true};
    }
    const std::string method = MethodName(e);
    if (run_.callbacks.listing) {
        const std::string ansi = os::Utf8ToAnsi(e.name);
        run_.callbacks.listing(static_cast<int32_t>(static_cast<uint32_t>(e.size)),
                               static_cast<uint32_t>(std::min<uint64_t>(e.compressedSize, UINT32_MAX)),
                               Ratio(e.size, e.compressedSize), static_cast<uint32_t>(f.month),
                               static_cast<uint32_t>(f.day), static_cast<uint32_t>(f.year),
                               static_cast<uint32_t>(f.hour), static_cast<uint32_t>(f.minute), 0, ansi.c_str(),
                               method.c_str(), e.crc, e.encrypted() ? 1 : 0);
    }
    if (run_.options.verbose) {
        if (listed_ == 0) {
            run_.reporter.requested(" Length   Method    Size  Cmpr    Date    Time   CRC-32   Name\n"
                                    "--------  ------  ------- ---- ---------- -----  --------  ----");
        }
        const std::string row = Decimal(e.size, 8) + "  " + PadRight(method, 6) + " " +
                                Decimal(e.compressedSize, 8) + " " + Decimal(Ratio(e.size, e.compressedSize), 3) +
                                "% " + Decimal(f.year, 4, '0') + "-" + Decimal(f.month, 2, '0') + "-" +
                                Decimal(f.day, 2, '0') + " " + Decimal(f.hour, 2, '0') + ":" +
                                Decimal(f.minute, 2, '0') + "  " + Hex8(e.crc) + "  ";
        run_.reporter.requested(row + e.name + (e.encrypted() ? " (encrypted)" : ""));
        if (!e.comment.empty()) run_.reporter.requested("          " + e.comment);
    }
    totalSize_ += e.size;
    totalCompressed_ += e.compressedSize;
    ++listed_;
    return UZ_OK;
}

void ListMode::finish(bool complete) {
    if (!complete || !run_.options.verbose || listed_ == 0) return;
    run_.reporter.requested("--------          -------  ---                            -------\n" +
                            Decimal(totalSize_, 8) + "         " + Decimal(totalCompressed_, 8) + " " +
                            Decimal(Ratio(totalSize_, totalCompressed_), 3) + "%                            " +
                            Decimal(listed_) + " file" + (listed_ == 1 ? "" : "s"));
}

}  // namespace uz
