// The world the extraction tests run in: the shared scripted world with the
// system's own library loading and text conversion, and a fresh folder per
// test.
#pragma once

#include <filesystem>
#include <string>

#include "fake_world.h"
#include "scratch.h"

namespace extraction_test {

// The running system's implementations (POSIX natively, Win32 under Wine).
platform::Libraries& SystemLibraries();
platform::AnsiText& SystemAnsi();
// The ANSI bytes of `text` in the system's code page.
std::string Ansi(const std::wstring& text);

// Switches the process to a UTF-8 locale for as long as it lives, where the
// system has one: the narrow encoding then is a multi-byte one.
class Utf8Locale {
public:
    Utf8Locale();
    ~Utf8Locale();
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

// Starts with an empty message state; the folder goes with everything in it.
class ExtractionWorld : public fake::World {
public:
    ExtractionWorld();

    const testsupport::Scratch scratch{"extraction-test"};
    const std::filesystem::path& folder = scratch.path();

    std::filesystem::path Write(const std::string& name, const std::string& bytes) const;
    static std::string Read(const std::filesystem::path& path);
};

}  // namespace extraction_test
