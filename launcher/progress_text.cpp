#include "launcher/progress_text.h"

#include "common/number_text.h"

namespace launcher {
namespace {

struct Unit {
    uint64_t bytes;
    const wchar_t* name;
};
constexpr Unit kUnits[] = {{uint64_t{1} << 30, L"GB"}, {uint64_t{1} << 20, L"MB"}, {uint64_t{1} << 10, L"KB"}};

// Sizes stay far below 2^63 bytes.
std::wstring Decimal(uint64_t value) { return common::DecimalText(static_cast<int64_t>(value)); }

// `amount` in `unit` with one decimal, rounded down.
std::wstring Tenths(uint64_t amount, uint64_t unit) {
    const uint64_t whole = amount / unit;
    // The remainder is below the unit (at most 2^30), so ten times it fits.
    const uint64_t tenth = amount % unit * 10 / unit;
    return Decimal(whole) + L"." + Decimal(tenth);
}

}  // namespace

std::wstring ProgressText(uint64_t done, uint64_t total) {
    for (const Unit& unit : kUnits) {
        if (total >= unit.bytes) {
            return Tenths(done, unit.bytes) + L" " + unit.name + L" of " + Tenths(total, unit.bytes) + L" " + unit.name;
        }
    }
    return Decimal(done) + L" bytes of " + Decimal(total) + L" bytes";
}

}  // namespace launcher
