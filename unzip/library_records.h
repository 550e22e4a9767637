// The library's records as the driver keeps them, texts held wide, and the
// ANSI copies handed to the library for one call. Each copy owns the bytes
// its record points to and lives exactly as long as the call needs it.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "unzip32/unzip32.h"

namespace unzip {

// Options: slots 1-15 as numbers, slots 16-17 as texts.
struct OptionsRecord {
    UnzipOptionsRecord values{};  // text slots unused here
    std::wstring zipFileName;     // slot 16
    std::wstring extractDir;      // slot 17
};

// Up to 100 entry names; no name in a slot ends the list.
using NameList = std::array<std::optional<std::wstring>, UZ_NAME_LIST_SLOTS>;

// Version record with its three fixed texts.
struct VersionRecord {
    int32_t length = 0;
    int32_t flag = 0;
    std::wstring betaLevel;    // fits 10 bytes with its zero
    std::wstring date;         // fits 20 bytes with its zero
    std::wstring zlibVersion;  // fits 10 bytes with its zero
    std::array<uint8_t, 16> groups{};
};

class AnsiOptionsRecord {
public:
    explicit AnsiOptionsRecord(const OptionsRecord& wide);
    AnsiOptionsRecord(const AnsiOptionsRecord&) = delete;
    AnsiOptionsRecord& operator=(const AnsiOptionsRecord&) = delete;
    UnzipOptionsRecord* get() { return &record_; }
    void CopyBack(OptionsRecord& wide) const;

private:
    std::string zipFileName_;
    std::string extractDir_;
    UnzipOptionsRecord record_;
};

class AnsiNameList {
public:
    explicit AnsiNameList(const NameList& wide);
    AnsiNameList(const AnsiNameList&) = delete;
    AnsiNameList& operator=(const AnsiNameList&) = delete;
    char** get() { return list_; }
    void CopyBack(NameList& wide) const;

private:
    std::array<std::string, UZ_NAME_LIST_SLOTS> names_;
    UnzipNameList list_{};
};

class AnsiVersionRecord {
public:
    explicit AnsiVersionRecord(const VersionRecord& wide);
    AnsiVersionRecord(const AnsiVersionRecord&) = delete;
    AnsiVersionRecord& operator=(const AnsiVersionRecord&) = delete;
    UnzipVersionRecord* get() { return &record_; }
    void CopyBack(VersionRecord& wide) const;

private:
    UnzipVersionRecord record_{};
};

}  // namespace unzip
