// CodeModule: the extraction module. It holds the message state that the
// library's callbacks fill, the callbacks themselves, FnPtr and the driver
// RunUnzip. One extraction runs at a time, on the user-interface thread.
#pragma once

#include <cstdint>
#include <string>

#include "unzip32/unzip32.h"

namespace unzip {

// The message state, shared by every extraction of the process.
struct MessageState {
    std::wstring LastMessage;   // the printed output of the latest extraction
    std::wstring PrintOutput;   // the same text while it accumulates
    std::wstring ListingText;   // header and entry lines, 80 characters + CR LF each
    int16_t ListingCount = 0;   // entry lines written, 0..32767
    int16_t PasswordSkip = 0;   // 1 once the user declined a password
};
MessageState& State();

// Returns its argument unchanged: how a callback's address is taken.
intptr_t FnPtr(intptr_t address);

// The library's callbacks. Each runs its steps under the tolerant regime: a
// step that fails is abandoned and the next one runs, so nothing ever leaves
// a callback and the library always gets an answer.
int32_t UZ_CALL DllPrint(const char* text, int32_t length) noexcept;
int32_t UZ_CALL DllReplace(char* name) noexcept;
int32_t UZ_CALL DllPassword(char* buffer, int32_t size, const char* prompt,
                            const char* entryName) noexcept;
void UZ_CALL ReceiveDllMessage(int32_t size, uint32_t compressedSize, uint32_t ratio,
                               uint32_t month, uint32_t day, uint32_t year, uint32_t hour,
                               uint32_t minute, int32_t c, const char* name,
                               const char* method, uint32_t crc, int32_t encrypted) noexcept;
int32_t UZ_CALL DllService(const char* entryName, int32_t length) noexcept;

// One extraction. Parameters 3-17 are option values in this order (note that
// the order is not the options record's slot order).
int32_t RunUnzip(const std::wstring& zipFileName, const std::wstring& extractDir,
                 int16_t extractNewer, int16_t spaceToUnderScore, int16_t promptOverwrite,
                 int16_t messageLevel, int16_t writeToStdOut, int16_t testZip,
                 int16_t extractList, int16_t extractOnlyNewer, int16_t displayComment,
                 int16_t honorDirectories, int16_t overWriteFiles, int16_t convertCRtoCRLF,
                 int16_t verbose, int16_t caseSensitive, int16_t privilege);

}  // namespace unzip
