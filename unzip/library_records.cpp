#include "unzip/library_records.h"

#include <algorithm>
#include <cstring>

#include "common/failure.h"
#include "platform/platform.h"
#include "unzip/library_text.h"

namespace unzip {

namespace {

std::wstring FromAnsiText(const char* text) {
    return text == nullptr ? std::wstring() : BoundAnsi().FromAnsi(text);
}

// A fixed text field: the ANSI bytes, cut to leave room for the zero.
template <size_t N>
void PutFixed(char (&field)[N], const std::wstring& text) {
    std::string bytes = BoundAnsi().ToAnsi(text);
    std::fill(field, field + N, '\0');
    std::copy_n(bytes.data(), std::min(bytes.size(), N - 1), field);
}

template <size_t N>
std::wstring GetFixed(const char (&field)[N]) {
    return FromLibrary(BoundedRun(field, N));
}

}  // namespace

AnsiOptionsRecord::AnsiOptionsRecord(const OptionsRecord& wide)
    : zipFileName_(BoundAnsi().ToAnsi(wide.zipFileName)),
      extractDir_(BoundAnsi().ToAnsi(wide.extractDir)),
      record_(wide.values) {
    record_.ZipFileName = zipFileName_.c_str();
    record_.ExtractDir = extractDir_.c_str();
}

void AnsiOptionsRecord::CopyBack(OptionsRecord& wide) const {
    UnzipOptionsRecord values = record_;
    values.ZipFileName = nullptr;
    values.ExtractDir = nullptr;
    wide.values = values;
    // The texts are read from the copies' own storage, whatever the library
    // did to the pointers.
    wide.zipFileName = FromAnsiText(zipFileName_.c_str());
    wide.extractDir = FromAnsiText(extractDir_.c_str());
}

AnsiNameList::AnsiNameList(const NameList& wide) {
    for (size_t i = 0; i < wide.size(); ++i) {
        if (!wide[i]) continue;
        names_[i] = BoundAnsi().ToAnsi(*wide[i]);
        list_[i] = names_[i].data();
    }
}

void AnsiNameList::CopyBack(NameList& wide) const {
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i]) wide[i] = FromAnsiText(names_[i].c_str());
    }
}

AnsiVersionRecord::AnsiVersionRecord(const VersionRecord& wide) {
    record_.length = wide.length;
    record_.flag = wide.flag;
    PutFixed(record_.betaLevel, wide.betaLevel);
    PutFixed(record_.date, wide.date);
    PutFixed(record_.zlibVersion, wide.zlibVersion);
    std::memcpy(record_.library, wide.groups.data() + 0, 4);
    std::memcpy(record_.zipinfo, wide.groups.data() + 4, 4);
    std::memcpy(record_.os2dll, wide.groups.data() + 8, 4);
    std::memcpy(record_.windll, wide.groups.data() + 12, 4);
}

void AnsiVersionRecord::CopyBack(VersionRecord& wide) const {
    wide.length = record_.length;
    wide.flag = record_.flag;
    wide.betaLevel = GetFixed(record_.betaLevel);
    wide.date = GetFixed(record_.date);
    wide.zlibVersion = GetFixed(record_.zlibVersion);
    std::memcpy(wide.groups.data() + 0, record_.library, 4);
    std::memcpy(wide.groups.data() + 4, record_.zipinfo, 4);
    std::memcpy(wide.groups.data() + 8, record_.os2dll, 4);
    std::memcpy(wide.groups.data() + 12, record_.windll, 4);
}

}  // namespace unzip
