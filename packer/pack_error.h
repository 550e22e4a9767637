// A problem that stops the tool: a value the format cannot carry, a file that
// cannot be read or written. The message is UTF-8 and complete.
#pragma once

#include <stdexcept>
#include <string>

namespace packer {

class PackError : public std::runtime_error {
public:
    explicit PackError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace packer
