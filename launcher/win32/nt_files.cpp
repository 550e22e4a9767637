#include "launcher/win32/nt_files.h"

#include <memory>

namespace launcher::win32::nt {

namespace {

using QueryDirectory = NTSTATUS NTAPI(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, void*, ULONG,
                                      FILE_INFORMATION_CLASS, BOOLEAN, UNICODE_STRING*, BOOLEAN);

constexpr NTSTATUS kStatusProcedureNotFound = static_cast<NTSTATUS>(0xC000007A);
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr auto kFileDispositionInformationEx = static_cast<FILE_INFORMATION_CLASS>(64);
// FILE_DISPOSITION_INFORMATION_EX flags.
constexpr ULONG kDispositionDelete = 0x1;
constexpr ULONG kDispositionPosixSemantics = 0x2;
constexpr ULONG kDispositionIgnoreReadOnly = 0x10;
constexpr ULONG kListingUnits = 16384;  // 64 KiB of entries at a time

FARPROC Ntdll(const char* name) {
    // ntdll is in every process: looking it up loads nothing, and no import
    // of it shows in the launcher's table.
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name);
}

template <typename Function>
Function* Cast(FARPROC function) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(function));
}

NTSTATUS SetInformation(HANDLE file, const void* information, size_t size, FILE_INFORMATION_CLASS type) {
    const auto set = Cast<decltype(NtSetInformationFile)>(Ntdll("NtSetInformationFile"));
    if (!set) return kStatusProcedureNotFound;
    IO_STATUS_BLOCK io{};
    return set(file, &io, const_cast<void*>(information), static_cast<ULONG>(size), type);
}

}  // namespace

NTSTATUS Open(HANDLE root, const wchar_t* name, ACCESS_MASK access, ULONG share, ULONG disposition,
              ULONG options, PSECURITY_DESCRIPTOR security, UniqueFileHandle& file) {
    const auto create = Cast<decltype(NtCreateFile)>(Ntdll("NtCreateFile"));
    if (!create) return kStatusProcedureNotFound;
    const auto bytes = static_cast<USHORT>(wcslen(name) * sizeof(wchar_t));
    UNICODE_STRING text{bytes, bytes, const_cast<wchar_t*>(name)};
    OBJECT_ATTRIBUTES attributes{sizeof attributes, root, &text, OBJ_CASE_INSENSITIVE, security, nullptr};
    IO_STATUS_BLOCK io{};
    HANDLE opened = INVALID_HANDLE_VALUE;
    const NTSTATUS status = create(&opened, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                   share, disposition, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (status >= 0) file = UniqueFileHandle(opened);
    return status;
}

NTSTATUS MarkForDeletion(HANDLE file, bool marked) {
    const FILE_DISPOSITION_INFORMATION disposition{marked};
    return SetInformation(file, &disposition, sizeof disposition, FileDispositionInformation);
}

NTSTATUS Delete(HANDLE file) {
    const ULONG flags = kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly;
    if (SetInformation(file, &flags, sizeof flags, kFileDispositionInformationEx) >= 0) return 0;
    // Older Windows, other file systems and Wine know only the plain mark.
    return MarkForDeletion(file, true);
}

NTSTATUS List(HANDLE folder, std::wstring& names) {
    const auto query = Cast<QueryDirectory>(Ntdll("NtQueryDirectoryFile"));
    if (!query) return kStatusProcedureNotFound;
    names.clear();
    // ULONG-aligned, as the entries are.
    std::unique_ptr<ULONG[]> buffer(new ULONG[kListingUnits]);
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK io{};
        const NTSTATUS status = query(folder, nullptr, nullptr, nullptr, &io, buffer.get(), kListingUnits * sizeof(ULONG),
                                      FileNamesInformation, FALSE, nullptr, restart);
        if (status == kStatusNoMoreFiles) return 0;
        if (status < 0) return status;
        for (const auto* at = reinterpret_cast<const unsigned char*>(buffer.get());;) {
            const auto* entry = reinterpret_cast<const FILE_NAMES_INFORMATION*>(at);
            const size_t length = entry->FileNameLength / sizeof(wchar_t);
            const bool dots = entry->FileName[0] == L'.' && (length == 1 || (length == 2 && entry->FileName[1] == L'.'));
            if (!dots) {
                names.append(entry->FileName, length);
                names += L'\0';
            }
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
}

unsigned long ErrorOf(NTSTATUS status) {
    const auto toError = Cast<decltype(RtlNtStatusToDosError)>(Ntdll("RtlNtStatusToDosError"));
    return toError ? toError(status) : ERROR_PROC_NOT_FOUND;
}

}  // namespace launcher::win32::nt
