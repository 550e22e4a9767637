// The platform as the installer would see it from inside a package folder:
// its program folder is the package folder, boxes are answered without a
// person (No, and no password), and nothing is created or started. Bound for
// the lifetime of the object; the earlier binding comes back afterwards.
//
// Setup.ini is read from the bytes given, in the code page given, as
// setup.exe reads it on a system with that code page; without bytes it is
// opened for real, so that its absence fails as it would.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "packer/base/host.h"
#include "platform/platform.h"

namespace packer {

class PackageServices {
public:
    PackageServices(Host& host, std::wstring packageFolder,
                    std::optional<std::string> setupFile = std::nullopt,
                    platform::AnsiText* setupFileText = nullptr);
    PackageServices(const PackageServices&) = delete;
    PackageServices& operator=(const PackageServices&) = delete;
    ~PackageServices();

    // Lines of Setup.ini handed out so far.
    int LinesRead() const;
    // Prompts of the boxes the installer's code asked for.
    const std::vector<std::wstring>& Prompts() const;

private:
    struct Stand;
    std::unique_ptr<Stand> stand_;
    platform::Services previous_;
};

}  // namespace packer
