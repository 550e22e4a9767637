// Passwords for traditionally encrypted entries. A password that worked is
// tried first on the next entry; otherwise the caller's password callback is
// asked, again after each wrong answer, until it gives none. After that no
// further entry of the run asks: they are all skipped.
#pragma once

#include <optional>
#include <string>

#include "unzip32/format/zip_crypto.h"
#include "unzip32/run/messages.h"
#include "unzip32/unzip32.h"

namespace uz {

class PasswordFlow {
public:
    static constexpr int32_t kBufferSize = 257;  // up to 256 characters and the zero

    PasswordFlow(UzPasswordCallback callback, Reporter& reporter) : callback_(callback), reporter_(reporter) {}

    // Keys ready for the entry's data, or nothing when no password fits.
    std::optional<ZipCrypto> unlock(const std::string& utf8Name, const uint8_t* header, uint8_t check);
    bool gaveUp() const { return gaveUp_; }

private:
    UzPasswordCallback callback_;
    Reporter& reporter_;
    std::optional<std::string> good_;
    bool gaveUp_ = false;
};

}  // namespace uz
