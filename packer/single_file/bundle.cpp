#include "packer/single_file/bundle.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/failure.h"
#include "installer/setup_file.h"
#include "launcher/payload.h"
#include "launcher/pe_format.h"
#include "launcher/pe_image.h"
#include "packer/archive/app_tree.h"
#include "packer/archive/write_archive.h"
#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/check/package_services.h"
#include "packer/check/program_kind.h"
#include "packer/files/file_ops.h"
#include "packer/files/new_file.h"
#include "packer/files/system_file.h"
#include "packer/single_file/brand_launcher.h"
#include "packer/single_file/package_identity.h"
#include "packer/single_file/pe_checksum.h"
#include "packer/single_file/single_file_check.h"
#include "unzip32/reuse/byte_reader.h"
#include "unzip32/reuse/os.h"
#include "unzip32/reuse/zip_archive.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw PackError("cannot open " + QuotedPath(file));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw PackError("cannot read " + QuotedPath(file));
    return bytes;
}

// The launcher's image, with nothing after it for the payload to follow.
std::string LauncherImage(const fs::path& launcher) {
    const std::string bytes = ReadWhole(launcher);
    uz::MemoryInput input(bytes);
    if (const std::string problem = ProgramKindProblem(input, ProgramKind::Program); !problem.empty())
        throw PackError(QuotedPath(launcher) + " is not the launcher program: it " + problem);
    launcher::ImageLayout layout;
    std::string problem;
    if (!launcher::ReadImageLayout(input, layout, problem))
        throw PackError(QuotedPath(launcher) + " is not the launcher program: " + problem);
    if (layout.certificateSize != 0 || layout.payloadSize() != 0)
        throw PackError(QuotedPath(launcher) +
                        " carries data after its program image (a signature or a payload): give the launcher"
                        " as it was built");
    return bytes;
}

// The archive's name, as setup.exe will read it from Setup.ini.
std::string ArchiveName(const fs::path& packageDir, Host& host) {
    std::optional<std::wstring> value;
    try {
        PackageServices services(host, host.TextOf(packageDir));
        value = installer::LastSetupValue(installer::SetupKey::ZipFile);
    } catch (const common::Failure& failure) {
        throw PackError("cannot read Setup.ini in " + QuotedPath(packageDir) + ": " + ToUtf8(failure.Description()));
    }
    if (!value) throw PackError("Setup.ini in " + QuotedPath(packageDir) + " names no archive (no ZIPFILE line)");
    const std::string name = ToUtf8(*value);
    if (!launcher::IsPayloadFileName(name))
        throw PackError("ZIPFILE " + Quoted(*value) + " is not a plain file name: the single file carries only"
                        " files beside setup.exe");
    return name;
}

// The package's files with their names in the payload, found in the folder
// without case, as Windows finds them.
std::vector<AppEntry> PackageFiles(const fs::path& packageDir, const std::string& archiveName) {
    const std::vector<AppEntry> present = CollectAppTree(packageDir);
    std::vector<AppEntry> files;
    for (const char* name : {launcher::kSetupFile, archiveName.c_str(), launcher::kSetupProgram, launcher::kUnzipLibrary}) {
        const std::wstring wanted = FoldCase(FromUtf8(name));
        for (const AppEntry& file : files) {
            if (FoldCase(FromUtf8(file.name)) == wanted)
                throw PackError("ZIPFILE names " + std::string(name) + ", another file of the package");
        }
        const AppEntry* found = nullptr;
        for (const AppEntry& entry : present) {
            if (!entry.directory && FoldCase(FromUtf8(entry.name)) == wanted) found = &entry;
        }
        if (!found) throw PackError(std::string(name) + " is missing from " + QuotedPath(packageDir));
        files.push_back(AppEntry{name, found->source, false, found->modified, found->size});
    }
    return files;
}

// Our archive writer counts offsets from the archive's start. In the single
// file they count from the file's start, as in any self-extracting archive:
// readers that do not look for bytes before an archive then read it too
// (some readers warn about them). Only the directory and the end record
// hold offsets; they are read from the archive file and patched in memory,
// while the entries' data, which may be large, is copied as it is.
struct ArchiveTail {
    uint64_t directoryOffset = 0;   // where the tail starts in the archive
    std::string bytes;              // the directory and the end record
    std::vector<PackedFile> files;  // as the directory lists them
};

ArchiveTail TailCountedFromFileStart(uz::ArchiveInput& archive, uint64_t before) {
    uz::ArchiveIndex index;
    if (uz::ReadCentralDirectory(archive, index).error != uz::DirectoryError::None || index.prefixSize != 0)
        throw PackError("the archive just written cannot be read back");
    ArchiveTail tail;
    tail.directoryOffset = index.directoryOffset;
    for (const uz::Entry& entry : index.entries) tail.files.push_back({entry.name, entry.size, entry.crc});
    // The directory was read whole above, so it and the end record lie within the file.
    tail.bytes.resize(static_cast<size_t>(archive.size() - index.directoryOffset));
    if (!archive.readExact(index.directoryOffset, reinterpret_cast<uint8_t*>(tail.bytes.data()), tail.bytes.size()))
        throw PackError("the archive just written cannot be read back");
    std::string& bytes = tail.bytes;
    const auto patch = [&bytes, before](size_t at, uint64_t offset) {
        if (offset + before > std::numeric_limits<uint32_t>::max())
            throw PackError("the single file grows past 4 GiB, which its archive cannot hold without Zip64");
        const auto value = static_cast<uint32_t>(offset + before);
        for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    size_t record = 0;
    for (const uz::Entry& entry : index.entries) {
        uz::ByteReader lengths(std::string_view(bytes).substr(record + uz::zip::kCentralNameLengthOffset, 6));
        const size_t variable = size_t{lengths.u16()} + lengths.u16() + lengths.u16();
        patch(record + uz::zip::kCentralLocalHeaderOffsetOffset, entry.localHeaderOffset);
        record += uz::zip::kCentralHeaderSize + variable;
    }
    // Our writer leaves no archive comment: the end record closes the archive.
    patch(bytes.size() - uz::zip::kEndOfDirSize + uz::zip::kEndDirectoryOffsetOffset, index.directoryOffset);
    return tail;
}

// Copies `size` bytes of `from`, starting at its start, to `out`; their CRC-32
// following on from `crc`.
// Hands the first `size` bytes of `from` to `take`, a block at a time.
template <typename Take>
void ReadBlocks(uz::ArchiveInput& from, uint64_t size, const fs::path& source, Take take) {
    std::string buffer(1 << 20, '\0');
    for (uint64_t done = 0; done < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - done));
        if (!from.readExact(done, reinterpret_cast<uint8_t*>(buffer.data()), n))
            throw PackError("cannot read " + QuotedPath(source));
        take(std::string_view(buffer.data(), n));
        done += n;
    }
}

uint32_t CopyBytes(uz::ArchiveInput& from, uint64_t size, NewFile& out, const fs::path& source, uint32_t crc) {
    ReadBlocks(from, size, source, [&](std::string_view bytes) {
        out.Write(bytes);
        crc = Crc32(crc, bytes);
    });
    return crc;
}

ProgramKind KindOf(const std::string& name) {
    return name == launcher::kUnzipLibrary ? ProgramKind::Library : ProgramKind::Program;
}

}  // namespace

std::string LauncherProblem(const fs::path& launcher) {
    try {
        LauncherImage(launcher);
        return {};
    } catch (const PackError& error) {
        return error.what();
    }
}

void WriteSingleFile(const fs::path& launcher, const fs::path& packageDir, const fs::path& output, Host& host,
                     const SingleFileSigning& signing, const single_file::Identity* identity) {
    std::string image = LauncherImage(launcher);
    if (identity) image = single_file::BrandLauncher(image, *identity);
    std::vector<AppEntry> files = PackageFiles(packageDir, ArchiveName(packageDir, host));

    // Everything is made in a folder of the tool's own beside the output,
    // where no one else can have planted a link, not even for the file the
    // sign command writes, and leaves it for the output's name by rename.
    std::error_code error;
    const fs::path place = fs::absolute(output, error).parent_path();
    if (error) throw PackError("cannot write " + QuotedPath(output) + ": " + error.message());
    const TemporaryPath work(NewPrivateFolder(place));
    if (signing.command && !signing.programsSigned) {
        for (AppEntry& file : files) {
            if (file.name != launcher::kSetupProgram && file.name != launcher::kUnzipLibrary) continue;
            file.source = signing.command->SignedCopy(file.source, work.path(), file.name.c_str(), KindOf(file.name));
            file.size = fs::file_size(file.source, error);
            if (error) throw PackError("cannot read " + QuotedPath(file.source) + ": " + error.message());
        }
    }

    const fs::path archive = work.path() / "payload.zip";
    ArchiveOptions entryTimes;
    entryTimes.modified = single_file::ArchiveTime(files[1].source);  // files: Setup.ini, the archive, ...
    WriteArchive(files, archive, entryTimes);
    std::unique_ptr<uz::ArchiveInput> payload;
    if (const uz::os::Status opened = uz::os::OpenArchive(archive.native(), payload); !opened.ok())
        throw PackError("cannot read " + QuotedPath(archive) + ": " + uz::os::Describe(opened));

    // Zeros before the archive make the file end on the boundary a signature
    // starts at: a signing tool then appends it right after the archive's end
    // record, and the end record stays the last thing before the signature.
    const uint64_t end = image.size() + payload->size();
    const std::string padding((launcher::pe::kCertificateAlignment - end % launcher::pe::kCertificateAlignment) %
                                  launcher::pe::kCertificateAlignment,
                              '\0');
    const ArchiveTail tail = TailCountedFromFileStart(*payload, image.size() + padding.size());
    // The image's CheckSum covers the whole file: a pass over what follows
    // the image gives it first, so that the file is written once, as it ends
    // up, and read back against that.
    single_file::PeChecksum checksum(single_file::CheckSumFieldOffset(image));
    checksum.Add(image);
    checksum.Add(padding);
    ReadBlocks(*payload, tail.directoryOffset, archive, [&checksum](std::string_view bytes) { checksum.Add(bytes); });
    checksum.Add(tail.bytes);
    single_file::PutCheckSum(image, checksum.Value());
    // The output's own name: some signing tools tell the kind of file by it.
    const fs::path written = work.path() / output.filename();
    {
        NewFile out(written);
        out.Write(image);
        out.Write(padding);
        uint32_t crc = Crc32(Crc32(0, image), padding);
        crc = CopyBytes(*payload, tail.directoryOffset, out, archive, crc);
        out.Write(tail.bytes);
        out.Finish(Crc32(crc, tail.bytes));
    }
    payload.reset();
    const auto check = [&tail](const fs::path& file) { return SingleFileProblem(file, tail.files); };
    if (signing.command) {
        signing.command->Sign(written, QuotedPath(output), check);
    } else if (const std::string problem = check(written); !problem.empty()) {
        throw PackError(QuotedPath(output) + " as written " + problem);
    }
    RenameOver(written, output);
}

}  // namespace packer
