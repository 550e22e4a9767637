// Everything the library prints goes through the caller's print callback,
// one line per call (each ending in LF, none starting with one unless it is
// empty), converted to the caller's ANSI code page, and cut into pieces well
// below the caller's 32 KiB text buffer.
//
// Message classes against MessageLevel: Info is printed at level 0 only,
// Notice at levels 0 and 1, Error always. Every cause of a non-zero result is
// an Error, so a caller that shows the printed text on failure never shows an
// empty message. Requested output (the archive comment, a verbose listing,
// the verdict of a successful test, entry data sent to the callback) is not a
// message and is always printed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "unzip32/unzip32.h"

namespace uz {

enum class MessageClass { Info = 0, Notice = 1, Error = 2 };

class Reporter {
public:
    static constexpr size_t kMaxPiece = 4096;  // bytes per print call

    Reporter(UzPrintCallback print, int32_t messageLevel) : print_(print), level_(messageLevel) {}

    bool shows(MessageClass c) const;
    void message(MessageClass c, std::string_view utf8Line);  // LF is added
    void requested(std::string_view utf8Text);                // split into lines, each ending in LF

    // Raw bytes (entry data): passed on unconverted, cut at line ends.
    void data(std::string_view bytes);
    void endData();  // ends a last line that had no LF

private:
    void emit(std::string_view piece);
    void emitLine(std::string_view ansiLineWithoutLf);

    UzPrintCallback print_;
    int32_t level_;
    std::string pending_;  // data bytes since the last line end
};

}  // namespace uz
