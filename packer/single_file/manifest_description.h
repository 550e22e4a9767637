// The application manifest's <description>, which Windows shows where it
// names the program (the elevation prompt among others). Only that text
// changes: the elevation, DPI and compatibility settings stay as built.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace packer::single_file {

// `manifest` (UTF-8 XML) with the text of its one <description> element
// replaced by `description`, escaped for XML. Nothing when the manifest
// has no such element, or more than one.
std::optional<std::string> WithDescription(std::string_view manifest, std::wstring_view description);

}  // namespace packer::single_file
