#include "unzip/code_module.h"

#include "common/failure.h"
#include "unzip/library_binding.h"
#include "unzip/library_records.h"

namespace unzip {

namespace {

// The version record the driver announces itself with.
constexpr int32_t kVersionRecordLength = UZ_VERSION_RECORD_SIZE;
constexpr size_t kBetaLevelBlanks = 9;     // of 10 bytes, + zero
constexpr size_t kDateBlanks = 19;         // of 20 bytes, + zero
constexpr size_t kZlibVersionBlanks = 9;   // of 10 bytes, + zero

void ResetMessageState() {
    MessageState& state = State();
    state.LastMessage.clear();
    state.ListingCount = 0;
    state.ListingText.clear();
    state.PrintOutput.clear();
    state.PasswordSkip = 0;
}

// Options slots 1-15; a 16-bit value widens with its sign.
struct OptionValues {
    int16_t extractNewer, spaceToUnderScore, promptOverwrite, messageLevel, writeToStdOut,
        testZip, extractList, extractOnlyNewer, displayComment, honorDirectories,
        overWriteFiles, convertCRtoCRLF, verbose, caseSensitive, privilege;
};

UnzipOptionsRecord OptionSlots(const OptionValues& v) {
    UnzipOptionsRecord r{};
    r.ExtractOnlyNewer = v.extractOnlyNewer;
    r.SpaceToUnderScore = v.spaceToUnderScore;
    r.PromptOverwrite = v.promptOverwrite;
    r.MessageLevel = v.messageLevel;
    r.WriteToStdOut = v.writeToStdOut;
    r.TestZip = v.testZip;
    r.ExtractList = v.extractList;
    r.ExtractNewer = v.extractNewer;
    r.DisplayComment = v.displayComment;
    r.HonorDirectories = v.honorDirectories;
    r.OverWriteFiles = v.overWriteFiles;
    r.ConvertCRtoCRLF = v.convertCRtoCRLF;
    r.Verbose = v.verbose;
    r.CaseSensitive = v.caseSensitive;
    r.Privilege = v.privilege;
    return r;
}

template <typename Callback>
Callback Address(Callback callback) {
    return reinterpret_cast<Callback>(FnPtr(reinterpret_cast<intptr_t>(callback)));
}

UnzipCallbackRecord CallbackSlots() {
    UnzipCallbackRecord r{};  // slots 2 and 7-11 stay 0
    r.print = Address<UzPrintCallback>(&DllPrint);
    r.replace = Address<UzReplaceCallback>(&DllReplace);
    r.password = Address<UzPasswordCallback>(&DllPassword);
    r.listing = Address<UzListingCallback>(&ReceiveDllMessage);
    r.service = Address<UzServiceCallback>(&DllService);
    return r;
}

VersionRecord AnnouncedVersion() {
    VersionRecord r;
    r.length = kVersionRecordLength;
    r.betaLevel.assign(kBetaLevelBlanks, L' ');
    r.date.assign(kDateBlanks, L' ');
    r.zlibVersion.assign(kZlibVersionBlanks, L' ');
    return r;
}

}  // namespace

MessageState& State() {
    static MessageState state;
    return state;
}

intptr_t FnPtr(intptr_t address) { return address; }

int32_t RunUnzip(const std::wstring& zipFileName, const std::wstring& extractDir,
                 int16_t extractNewer, int16_t spaceToUnderScore, int16_t promptOverwrite,
                 int16_t messageLevel, int16_t writeToStdOut, int16_t testZip,
                 int16_t extractList, int16_t extractOnlyNewer, int16_t displayComment,
                 int16_t honorDirectories, int16_t overWriteFiles, int16_t convertCRtoCRLF,
                 int16_t verbose, int16_t caseSensitive, int16_t privilege) {
    return common::ReraiseAs(L"CodeModule::RunUnzip", [&] {
        // Before anything can fail: a call that fails early leaves no text of
        // the previous extraction behind.
        ResetMessageState();
        NameList includeList;  // every entry: no name chosen
        NameList excludeList;  // no name left out

        OptionsRecord options;
        options.values = OptionSlots({extractNewer, spaceToUnderScore, promptOverwrite,
                                      messageLevel, writeToStdOut, testZip, extractList,
                                      extractOnlyNewer, displayComment, honorDirectories,
                                      overWriteFiles, convertCRtoCRLF, verbose, caseSensitive,
                                      privilege});
        options.zipFileName = zipFileName;
        options.extractDir = extractDir;
        UnzipCallbackRecord callbacks = CallbackSlots();
        VersionRecord version = AnnouncedVersion();

        {
            AnsiVersionRecord ansiVersion(version);
            VersionEntry()(ansiVersion.get());
            ansiVersion.CopyBack(version);
        }

        WizSingleEntryUnzipEntry unzip = UnzipEntry();
        AnsiOptionsRecord ansiOptions(options);
        AnsiNameList ansiExclude(excludeList);
        AnsiNameList ansiInclude(includeList);
        int32_t result = unzip(0, ansiInclude.get(), 0, ansiExclude.get(), ansiOptions.get(),
                               &callbacks);
        ansiOptions.CopyBack(options);
        ansiExclude.CopyBack(excludeList);
        ansiInclude.CopyBack(includeList);
        return result;
    });
}

}  // namespace unzip
