// The five callbacks through which the library prints, asks and lists.
#include <utility>

#include "common/failure.h"
#include "platform/platform.h"
#include "unzip/code_module.h"
#include "unzip/library_text.h"
#include "unzip/listing_line.h"

namespace unzip {

namespace {

// Overwrite question.
constexpr wchar_t kReplaceCaption[] = L"UnZip32 - File Already Exists!";
// Password question; the box carries the application title.
constexpr wchar_t kPasswordPrompt[] = L"Please Enter The Password!";

// Results of the password callback.
constexpr int32_t kPasswordGiven = 0;
constexpr int32_t kPasswordNone = 1;

constexpr int16_t kListingCountMax = 32767;

// Runs one step of a callback: a failing step is abandoned, whatever it
// raised. Nothing may unwind into the library's frames.
template <typename Step>
void Tolerant(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (...) {
    }
}

platform::Dialogs& Dialogs() {
    platform::Dialogs* dialogs = platform::Current().dialogs;
    if (dialogs == nullptr) common::Raise(common::FailureNumber::InvalidCall, L"no dialogs bound");
    return *dialogs;
}

// The low 16 bits of a listing argument, as a signed value.
int16_t Low16(uint32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value)); }

}  // namespace

int32_t UZ_CALL DllPrint(const char* text, int32_t length) noexcept {
    MessageState& state = State();
    std::wstring printed;
    Tolerant([&] {
        std::string_view run = BoundedRun(text, PrintLimit(length));
        // A text that starts a new line stands for the line end alone.
        printed = !run.empty() && run.front() == '\n' ? L"\r\n" : FromLibrary(run);
    });
    Tolerant([&] { state.PrintOutput += printed; });
    // Appending keeps the two equal at a cost linear in the text; copying the
    // whole output after every print grows with its square (one line per
    // refused entry adds up).
    Tolerant([&] {
        if (state.LastMessage.size() + printed.size() == state.PrintOutput.size()) {
            state.LastMessage += printed;
        } else {
            state.LastMessage = state.PrintOutput;
        }
    });
    return 0;
}

int32_t UZ_CALL DllService(const char*, int32_t) noexcept { return 0; }

int32_t UZ_CALL DllReplace(char* name) noexcept {
    std::wstring fileName;
    Tolerant([&] { fileName = FromLibrary(BoundedRun(name, kNameBytes)); });
    int answer = 0;  // stays 0 when the box cannot appear
    Tolerant([&] {
        answer = Dialogs().MsgBox(L"Overwrite " + fileName + L"?",
                                  platform::kYesNoCancel | platform::kExclamation, kReplaceCaption);
    });
    switch (answer) {
        case platform::kAnswerNo: return UZ_REPLACE_NO;
        case platform::kAnswerCancel: return UZ_REPLACE_NONE;
        default: return UZ_REPLACE_YES;
    }
}

int32_t UZ_CALL DllPassword(char* buffer, int32_t size, const char*, const char*) noexcept {
    MessageState& state = State();
    if (state.PasswordSkip == 1) return kPasswordNone;
    std::wstring answer;  // stays empty when the box cannot appear
    Tolerant([&] { answer = Dialogs().InputBox(kPasswordPrompt); });
    if (answer.empty()) {
        state.PasswordSkip = 1;
        return kPasswordNone;
    }
    int32_t result = kPasswordNone;
    Tolerant([&] {
        std::optional<std::string> bytes = PasswordBytes(answer, size);
        if (!bytes || buffer == nullptr) return;
        FillPasswordBuffer(buffer, size, *bytes);
        result = kPasswordGiven;
    });
    return result;
}

void UZ_CALL ReceiveDllMessage(int32_t size, uint32_t, uint32_t, uint32_t month, uint32_t day,
                               uint32_t year, uint32_t hour, uint32_t minute, int32_t,
                               const char* name, const char*, uint32_t, int32_t) noexcept {
    MessageState& state = State();
    Tolerant([&] {
        if (state.ListingCount == 0) state.ListingText = ListingHeader() + L"\r\n";
    });
    std::wstring fileName;
    Tolerant([&] { fileName = FromLibrary(BoundedRun(name, kNameBytes)); });
    Tolerant([&] {
        state.ListingText += ListingEntry(fileName, size, Low16(month), Low16(day), Low16(year),
                                          Low16(hour), Low16(minute)) +
                             L"\r\n";
    });
    if (state.ListingCount < kListingCountMax) ++state.ListingCount;
}

}  // namespace unzip
