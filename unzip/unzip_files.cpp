#include "unzip/unzip_files.h"

#include "common/failure.h"
#include "unzip/code_module.h"

namespace unzip {

namespace {

int16_t StoreFlag(common::Truth16 value) { return value != 0 ? 1 : 0; }
common::Truth16 ReadFlag(int16_t stored) { return common::ToTruth(stored == 1); }

}  // namespace

void UnzipFiles::Class_Initialize() {
    extractNewer_ = 0;
    spaceToUnderScore_ = 0;
    promptOverwrite_ = 0;
    messageLevel_ = 2;
    writeToStdOut_ = 0;
    testZip_ = 0;
    extractList_ = 0;
    extractOnlyNewer_ = 0;
    displayComment_ = 0;
    honorDirectories_ = 1;
    overWriteFiles_ = 1;
    convertCRtoCRLF_ = 0;
    verbose_ = 0;
    caseSensitive_ = 1;
    privilege_ = 0;
}

common::Truth16 UnzipFiles::ExtractNewer() const { return ReadFlag(extractNewer_); }
void UnzipFiles::ExtractNewer(common::Truth16 bExtractNewer) { extractNewer_ = StoreFlag(bExtractNewer); }
common::Truth16 UnzipFiles::SpaceToUnderScore() const { return ReadFlag(spaceToUnderScore_); }
void UnzipFiles::SpaceToUnderScore(common::Truth16 bConvert) { spaceToUnderScore_ = StoreFlag(bConvert); }
common::Truth16 UnzipFiles::PromptOverwrite() const { return ReadFlag(promptOverwrite_); }
void UnzipFiles::PromptOverwrite(common::Truth16 bPrompt) { promptOverwrite_ = StoreFlag(bPrompt); }
int32_t UnzipFiles::MessageLevel() const { return messageLevel_; }
void UnzipFiles::MessageLevel(int32_t iLevel) { messageLevel_ = iLevel; }
common::Truth16 UnzipFiles::WriteToStdOut() const { return ReadFlag(writeToStdOut_); }
void UnzipFiles::WriteToStdOut(common::Truth16 bWrite) { writeToStdOut_ = StoreFlag(bWrite); }
common::Truth16 UnzipFiles::TestZip() const { return ReadFlag(testZip_); }
void UnzipFiles::TestZip(common::Truth16 bTest) { testZip_ = StoreFlag(bTest); }
int32_t UnzipFiles::ExtractList() const { return extractList_; }
void UnzipFiles::ExtractList(int32_t zExType) { extractList_ = zExType; }
common::Truth16 UnzipFiles::ExtractOnlyNewer() const { return ReadFlag(extractOnlyNewer_); }
void UnzipFiles::ExtractOnlyNewer(common::Truth16 bOnlyNewer) { extractOnlyNewer_ = StoreFlag(bOnlyNewer); }
common::Truth16 UnzipFiles::DisplayComment() const { return ReadFlag(displayComment_); }
void UnzipFiles::DisplayComment(common::Truth16 bDisplay) { displayComment_ = StoreFlag(bDisplay); }
common::Truth16 UnzipFiles::HonorDirectories() const { return ReadFlag(honorDirectories_); }
void UnzipFiles::HonorDirectories(common::Truth16 bHonor) { honorDirectories_ = StoreFlag(bHonor); }
common::Truth16 UnzipFiles::OverWriteFiles() const { return ReadFlag(overWriteFiles_); }
void UnzipFiles::OverWriteFiles(common::Truth16 bOverWrite) { overWriteFiles_ = StoreFlag(bOverWrite); }
common::Truth16 UnzipFiles::ConvertCRtoCRLF() const { return ReadFlag(convertCRtoCRLF_); }
void UnzipFiles::ConvertCRtoCRLF(common::Truth16 bConvert) { convertCRtoCRLF_ = StoreFlag(bConvert); }
common::Truth16 UnzipFiles::Verbose() const { return ReadFlag(verbose_); }
void UnzipFiles::Verbose(common::Truth16 bVerbose) { verbose_ = StoreFlag(bVerbose); }
common::Truth16 UnzipFiles::CaseSensitive() const { return ReadFlag(caseSensitive_); }
void UnzipFiles::CaseSensitive(common::Truth16 bCaseSensitive) { caseSensitive_ = StoreFlag(bCaseSensitive); }
int32_t UnzipFiles::Privilege() const { return privilege_; }
void UnzipFiles::Privilege(int32_t zPriv) { privilege_ = zPriv; }
std::wstring UnzipFiles::ZipFileName() const { return zipFileName_; }
void UnzipFiles::ZipFileName(const std::wstring& sZipFileName) { zipFileName_ = sZipFileName; }
std::wstring UnzipFiles::ExtractDir() const { return extractDir_; }
void UnzipFiles::ExtractDir(const std::wstring& sExtractDir) { extractDir_ = sExtractDir; }

int32_t UnzipFiles::Unzip(const std::wstring& sZipFileName, const std::wstring& sExtractDir) {
    return common::ReraiseAs(L"UnzipFiles::Unzip", [&] {
        if (!sZipFileName.empty()) zipFileName_ = sZipFileName;
        if (!sExtractDir.empty()) extractDir_ = sExtractDir;
        // Narrowed before the driver runs: an overflow leaves the library uncalled.
        int16_t privilege = common::NarrowTo16(privilege_);
        int16_t extractList = common::NarrowTo16(extractList_);
        int16_t messageLevel = common::NarrowTo16(messageLevel_);
        return RunUnzip(zipFileName_, extractDir_, extractNewer_, spaceToUnderScore_,
                        promptOverwrite_, messageLevel, writeToStdOut_, testZip_, extractList,
                        extractOnlyNewer_, displayComment_, honorDirectories_, overWriteFiles_,
                        convertCRtoCRLF_, verbose_, caseSensitive_, privilege);
    });
}

std::wstring UnzipFiles::GetLastMessage() const { return State().LastMessage; }

}  // namespace unzip
