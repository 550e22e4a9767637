// CodeModule: the extraction module. It holds the message state that the
// library's callbacks fill, the callbacks themselves, FnPtr and the driver
// RunUnzip. One extraction runs at a time, on the user-interface thread.
#pragma once

#include <cstdint>
#include <string>

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

// One extraction. Parameters 3-17 are option values in this order (note that
// the order is not the options record's slot order).
int32_t RunUnzip(const std::wstring& zipFileName, const std::wstring& extractDir,
                 int16_t extractNewer, int16_t spaceToUnderScore, int16_t promptOverwrite,
                 int16_t messageLevel, int16_t writeToStdOut, int16_t testZip,
                 int16_t extractList, int16_t extractOnlyNewer, int16_t displayComment,
                 int16_t honorDirectories, int16_t overWriteFiles, int16_t convertCRtoCRLF,
                 int16_t verbose, int16_t caseSensitive, int16_t privilege);

}  // namespace unzip
