#include "unzip32/modes/listing.h"

#include <algorithm>

#include "unzip32/format/method_name.h"
#include "unzip32/modes/text_format.h"
#include "unzip32/os/os.h"

namespace uz {
namespace {

// Zip64 sizes are the archive's word; a sum of them stops at the largest value.
uint64_t AddCapped(uint64_t a, uint64_t b) { return b > UINT64_MAX - a ? UINT64_MAX : a + b; }

}  // namespace

uint32_t Ratio(uint64_t size, uint64_t compressed) {
    if (size == 0 || compressed >= size) return 0;
    const uint64_t saved = size - compressed;
    // saved * 100 / size by adding `saved` a hundred times modulo `size`: the
    // product itself wraps for sizes above 2^57, which Zip64 allows.
    uint32_t percent = 0;
    uint64_t rest = 0;  // saved * steps - percent * size, always below size
    for (int step = 0; step < 100; ++step) {
        if (rest >= size - saved) {
            rest -= size - saved;
            ++percent;
        } else {
            rest += saved;
        }
    }
    return percent;
}

int32_t ListMode::entry(size_t, const Entry& e, const EntrySpan&) {
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
    totalSize_ = AddCapped(totalSize_, e.size);
    totalCompressed_ = AddCapped(totalCompressed_, e.compressedSize);
    ++listed_;
    return UZ_OK;
}

int32_t ListMode::finish(bool complete) {
    if (!complete || !run_.options.verbose || listed_ == 0) return UZ_OK;
    run_.reporter.requested("--------          -------  ---                            -------\n" +
                            Decimal(totalSize_, 8) + "         " + Decimal(totalCompressed_, 8) + " " +
                            Decimal(Ratio(totalSize_, totalCompressed_), 3) + "%                            " +
                            Decimal(listed_) + " file" + (listed_ == 1 ? "" : "s"));
    return UZ_OK;
}

}  // namespace uz
