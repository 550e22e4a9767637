// UnzipFiles: the options object through which an archive is extracted. One
// property per library switch, the archive path and the destination folder;
// Unzip hands them all to the extraction driver.
#pragma once

#include <cstdint>
#include <string>

#include "common/truth.h"

namespace unzip {

class UnzipFiles {
public:
    UnzipFiles() { Class_Initialize(); }

    // Flags are stored as 1 or 0; a getter reports true only for 1, a setter
    // stores 1 for any non-zero argument.
    common::Truth16 ExtractNewer() const;
    void ExtractNewer(common::Truth16 bExtractNewer);
    common::Truth16 SpaceToUnderScore() const;
    void SpaceToUnderScore(common::Truth16 bConvert);
    common::Truth16 PromptOverwrite() const;
    void PromptOverwrite(common::Truth16 bPrompt);
    int32_t MessageLevel() const;
    void MessageLevel(int32_t iLevel);
    common::Truth16 WriteToStdOut() const;
    void WriteToStdOut(common::Truth16 bWrite);
    common::Truth16 TestZip() const;
    void TestZip(common::Truth16 bTest);
    int32_t ExtractList() const;
    void ExtractList(int32_t zExType);
    common::Truth16 ExtractOnlyNewer() const;
    void ExtractOnlyNewer(common::Truth16 bOnlyNewer);
    common::Truth16 DisplayComment() const;
    void DisplayComment(common::Truth16 bDisplay);
    common::Truth16 HonorDirectories() const;
    void HonorDirectories(common::Truth16 bHonor);
    common::Truth16 OverWriteFiles() const;
    void OverWriteFiles(common::Truth16 bOverWrite);
    common::Truth16 ConvertCRtoCRLF() const;
    void ConvertCRtoCRLF(common::Truth16 bConvert);
    common::Truth16 Verbose() const;
    void Verbose(common::Truth16 bVerbose);
    common::Truth16 CaseSensitive() const;
    void CaseSensitive(common::Truth16 bCaseSensitive);
    int32_t Privilege() const;
    void Privilege(int32_t zPriv);
    std::wstring ZipFileName() const;
    void ZipFileName(const std::wstring& sZipFileName);
    std::wstring ExtractDir() const;
    void ExtractDir(const std::wstring& sExtractDir);

    // Extracts with the current values; a non-empty argument first replaces
    // the stored path for good. Returns the library's result (0: success).
    int32_t Unzip(const std::wstring& sZipFileName = {}, const std::wstring& sExtractDir = {});

    // The library's printed output of the latest extraction by any object.
    std::wstring GetLastMessage() const;

private:
    void Class_Initialize();

    int16_t extractNewer_;
    int16_t spaceToUnderScore_;
    int16_t promptOverwrite_;
    int32_t messageLevel_;
    int16_t writeToStdOut_;
    int16_t testZip_;
    int32_t extractList_;
    int16_t extractOnlyNewer_;
    int16_t displayComment_;
    int16_t honorDirectories_;
    int16_t overWriteFiles_;
    int16_t convertCRtoCRLF_;
    int16_t verbose_;
    int16_t caseSensitive_;
    int32_t privilege_;
    std::wstring zipFileName_;
    std::wstring extractDir_;
};

}  // namespace unzip
