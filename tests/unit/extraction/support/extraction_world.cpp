#include "extraction_world.h"

#include <clocale>

#include "scratch.h"
#include "unzip/code_module.h"

namespace extraction_test {

namespace fs = std::filesystem;

std::string Ansi(const std::wstring& text) { return SystemAnsi().ToAnsi(text); }

Utf8Locale::Utf8Locale() {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    previous_ = previous ? previous : "C";
    active_ = std::setlocale(LC_ALL, "C.UTF-8") != nullptr &&
              SystemAnsi().FromAnsi("\xc3\xa9") == L"\u00e9";
}

Utf8Locale::~Utf8Locale() { std::setlocale(LC_ALL, previous_.c_str()); }

ExtractionWorld::ExtractionWorld() {
    platform::Services services = platform::Current();
    services.libraries = &SystemLibraries();
    services.ansi = &SystemAnsi();
    platform::Bind(services);
    unzip::State() = unzip::MessageState{};
}

fs::path ExtractionWorld::Write(const std::string& name, const std::string& bytes) const {
    fs::path path = folder / name;
    testsupport::WriteFile(path, bytes);
    return path;
}

std::string ExtractionWorld::Read(const fs::path& path) { return testsupport::ReadFile(path); }

}  // namespace extraction_test
