// A problem that stops the tool. The message is UTF-8 and complete. Most are
// the tool's own input and output failing (a file that cannot be read or
// written); a package problem found only while packing (a link to a folder in
// the application folder) says so.
#pragma once

#include <stdexcept>
#include <string>

namespace packer {

class PackError : public std::runtime_error {
public:
    enum class Kind { InputOutput, Package };
    explicit PackError(const std::string& message, Kind kind = Kind::InputOutput)
        : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

}  // namespace packer
