/* unzip32: the unzip library's binary interface.
 *
 * Shared by the library (unzip32.dll, libunzip32.so) and the programs that
 * load it. On 32-bit Windows every slot of every record is 32 bits wide and
 * all entry points and callbacks use the stdcall convention; the DLL exports
 * UzpVersion2 and Wiz_SingleEntryUnzip undecorated. On 64-bit targets slots
 * that carry an address (texts, name lists, callbacks) are pointer-sized and
 * every other slot stays a 32-bit signed integer, in natural C layout.
 *
 * Texts are zero-terminated byte strings in the system ANSI code page
 * (Windows: CP_ACP; POSIX: the locale's narrow encoding).
 */
#ifndef UNZIP32_UNZIP32_H
#define UNZIP32_UNZIP32_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define UZ_CALL __stdcall
#else
#define UZ_CALL
#endif

#if defined(_WIN32)
#if defined(UNZIP32_BUILDING)
#define UZ_EXPORT __declspec(dllexport)
#else
#define UZ_EXPORT
#endif
#else
#define UZ_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results of Wiz_SingleEntryUnzip. */
enum {
    UZ_OK = 0,               /* success */
    UZ_WARNING = 1,          /* some entries skipped or had errors, others fine */
    UZ_FORMAT_ERROR = 2,     /* archive format error */
    UZ_SEVERE_ERROR = 3,     /* severe format error */
    UZ_NO_MEMORY = 4,        /* out of memory */
    UZ_NOT_FOUND = 9,        /* archive not found, or not a ZIP archive */
    UZ_BAD_OPTIONS = 10,     /* invalid options */
    UZ_NO_MATCH = 11,        /* no matching entries */
    UZ_DISK_FULL = 50,       /* disk full */
    UZ_UNEXPECTED_END = 51,  /* unexpected end of archive */
    UZ_STOPPED = 80,         /* stopped by the caller (service callback) */
    UZ_UNSUPPORTED = 81,     /* unsupported compression or encryption */
    UZ_BAD_PASSWORD = 82     /* no entry extracted because of a wrong password */
};

/* Answers of the replace callback. */
enum {
    UZ_REPLACE_NO = 100,     /* leave this file untouched */
    UZ_REPLACE_YES = 102,    /* overwrite this file */
    UZ_REPLACE_ALL = 103,    /* overwrite this and every further existing file */
    UZ_REPLACE_NONE = 104    /* leave this and every further existing file */
};

/* Callbacks, called synchronously on the caller's thread. A null slot is skipped. */
typedef int32_t(UZ_CALL* UzPrintCallback)(const char* text, int32_t length);
typedef int32_t(UZ_CALL* UzReplaceCallback)(char* name);
/* Fills `buffer` (of `size` bytes) with a zero-terminated password;
 * returns 0 when one was given, non-zero when none. */
typedef int32_t(UZ_CALL* UzPasswordCallback)(char* buffer, int32_t size, const char* prompt,
                                             const char* entryName);
typedef void(UZ_CALL* UzListingCallback)(int32_t size, uint32_t compressedSize, uint32_t ratio,
                                         uint32_t month, uint32_t day, uint32_t year,
                                         uint32_t hour, uint32_t minute, int32_t c,
                                         const char* name, const char* method, uint32_t crc,
                                         int32_t encrypted);
/* Called before each entry with its name; a non-zero answer stops the extraction. */
typedef int32_t(UZ_CALL* UzServiceCallback)(const char* entryName, int32_t length);

/* Slots 1-15 are option values (flags are 1 or 0), slots 16-17 texts. */
typedef struct UnzipOptionsRecord {
    int32_t ExtractOnlyNewer;   /* 1: freshen: only replace existing files that are older */
    int32_t SpaceToUnderScore;  /* 2: blanks in names become underscores */
    int32_t PromptOverwrite;    /* 3: ask through the replace callback */
    int32_t MessageLevel;       /* 4: 0 all messages, 1 fewer, 2 errors only */
    int32_t WriteToStdOut;      /* 5: entry data goes to the print callback */
    int32_t TestZip;            /* 6: verify everything, write nothing */
    int32_t ExtractList;        /* 7: list entries through the listing callback */
    int32_t ExtractNewer;       /* 8: update: new files and newer versions */
    int32_t DisplayComment;     /* 9: print the archive comment */
    int32_t HonorDirectories;   /* 10: 0 puts every file straight into the destination */
    int32_t OverWriteFiles;     /* 11: replace existing files without asking */
    int32_t ConvertCRtoCRLF;    /* 12: text entries get the platform's line ends */
    int32_t Verbose;            /* 13: detailed listing and messages */
    int32_t CaseSensitive;      /* 14: name-list matching respects case */
    int32_t Privilege;          /* 15: restore ownership/permissions */
    const char* ZipFileName;    /* 16: archive path */
    const char* ExtractDir;     /* 17: destination folder; empty: current folder */
} UnzipOptionsRecord;

typedef struct UnzipCallbackRecord {
    UzPrintCallback print;          /* 1 */
    void* unused2;                  /* 2: always 0 */
    UzReplaceCallback replace;      /* 3 */
    UzPasswordCallback password;    /* 4 */
    UzListingCallback listing;      /* 5 */
    UzServiceCallback service;      /* 6 */
    int32_t reserved[5];            /* 7-11: belong to the library; 0 on entry */
} UnzipCallbackRecord;

typedef struct UnzipVersionRecord {
    int32_t length;         /* size of this record: 64 */
    int32_t flag;           /* bit 0: beta release; bit 1: zlib in use */
    char betaLevel[10];     /* zero-terminated, e.g. "" or "beta 2" */
    char date[20];          /* zero-terminated release date */
    char zlibVersion[10];   /* zero-terminated zlib version */
    uint8_t library[4];     /* major, minor, patch, 0 */
    uint8_t zipinfo[4];     /* version of the listing format */
    uint8_t os2dll[4];      /* unused, 0 */
    uint8_t windll[4];      /* version of this binary interface */
} UnzipVersionRecord;

enum { UZ_VERSION_RECORD_SIZE = 64, UZ_NAME_LIST_SLOTS = 100 };

/* A list of entry names (wildcards * ? [...]); a null slot ends it. */
typedef char* UnzipNameList[UZ_NAME_LIST_SLOTS];

/* Fills the version record; returns 0, or UZ_BAD_OPTIONS when its length is not 64. */
UZ_EXPORT int32_t UZ_CALL UzpVersion2(UnzipVersionRecord* version);

/* Extracts (or tests, or lists) the archive the options name. `includeCount`
 * names from `includeList` select entries (0: every entry); `excludeCount`
 * names from `excludeList` leave entries out. */
UZ_EXPORT int32_t UZ_CALL Wiz_SingleEntryUnzip(int32_t includeCount, char** includeList,
                                               int32_t excludeCount, char** excludeList,
                                               UnzipOptionsRecord* options,
                                               UnzipCallbackRecord* callbacks);

#ifdef __cplusplus
}

static_assert(sizeof(UnzipVersionRecord) == UZ_VERSION_RECORD_SIZE, "version record is 64 bytes");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(UnzipOptionsRecord) == 17 * 4, "17 slots of 32 bits");
static_assert(sizeof(UnzipCallbackRecord) == 11 * 4, "11 slots of 32 bits");
static_assert(sizeof(UnzipNameList) == 100 * 4, "100 slots of 32 bits");
#endif
#endif

#endif /* UNZIP32_UNZIP32_H */
