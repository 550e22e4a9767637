#include "unzip32/run/password_flow.h"

#include <cstring>

#include "unzip32/os/os.h"

namespace uz {

std::optional<ZipCrypto> PasswordFlow::unlock(const std::string& name, const uint8_t* header, uint8_t check) {
    if (good_) {
        ZipCrypto keys(*good_);
        if (keys.acceptHeader(header, check)) return keys;
    }
    if (gaveUp_ || !callback_) {
        gaveUp_ = true;
        return std::nullopt;
    }
    const std::string ansiName = os::Utf8ToAnsi(name);
    std::string prompt = os::Utf8ToAnsi("Enter password for " + name + ":");
    for (;;) {
        char buffer[kBufferSize];
        std::memset(buffer, 0, sizeof buffer);
        if (callback_(buffer, kBufferSize, prompt.c_str(), ansiName.c_str()) != 0) {
            gaveUp_ = true;
            return std::nullopt;
        }
        buffer[kBufferSize - 1] = '\0';
        const std::string password(buffer, std::strlen(buffer));
        ZipCrypto keys(password);
        if (keys.acceptHeader(header, check)) {
            good_ = password;
            return keys;
        }
        reporter_.message(MessageClass::Notice, "incorrect password for " + name);
        prompt = os::Utf8ToAnsi("Incorrect password. Enter password for " + name + ":");
    }
}

}  // namespace uz
