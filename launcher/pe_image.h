// Where a program file's image ends and what follows it. The loader maps the
// headers and each section's raw data; bytes after the last section belong to
// no section and are never loaded. The single-file installer keeps its
// payload there. A signature added later goes after it, as the certificate
// table of the security data directory, and covers it.
#pragma once

#include <cstdint>
#include <string>

#include "unzip32/reuse/zip_archive.h"

namespace launcher {

struct ImageLayout {
    uint16_t machine = 0;          // the processor the code is for
    uint16_t characteristics = 0;  // of the COFF file header: program or library
    uint16_t magic = 0;            // of the optional header: PE32 or PE32+
    uint64_t fileSize = 0;
    uint64_t imageEnd = 0;           // end of the headers and of the last section's raw data
    uint64_t certificateOffset = 0;  // file offset of the certificate table
    uint64_t certificateSize = 0;    // 0: the file is not signed

    // The bytes after the image, up to the certificate table or the end of the file.
    uint64_t payloadOffset() const { return imageEnd; }
    uint64_t payloadSize() const { return (certificateSize != 0 ? certificateOffset : fileSize) - imageEnd; }
};

// Reads the headers of the program file `file`. False, with what is wrong in
// `problem`, when they are not a program's headers or do not fit the file.
bool ReadImageLayout(uz::ArchiveInput& file, ImageLayout& layout, std::string& problem);

}  // namespace launcher
