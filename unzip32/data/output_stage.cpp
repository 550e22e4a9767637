#include "unzip32/data/output_stage.h"

#include <zlib.h>

namespace uz {

bool DirectStage::deliver(size_t n) {
    if (failed_) return false;
    crc_ = static_cast<uint32_t>(crc32_z(crc_, room_.data, n));
    failed_ = !sink_.consume(room_.data, n);
    return !failed_;
}

bool DirectStage::finish(uint32_t& crc) {
    crc = crc_;
    return !failed_;
}

}  // namespace uz
