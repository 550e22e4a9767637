// What reaches the library: option slots, texts, callback and version
// records, name lists; the result coming back; the reset before the call.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <new>

#include "common/failure.h"
#include "expect_failure.h"
#include "extraction_world.h"
#include "stub_unzip32.h"
#include "unzip/code_module.h"
#include "unzip/unzip_files.h"

namespace {

using extraction_test::ExtractionWorld;
using testsupport::ExpectFailure;
using Slots = std::array<int32_t, 15>;

class Stub : public testing::Test {
protected:
    Stub() {
        // The same module the driver loads: its globals are the driver's.
        library_ = extraction_test::SystemLibraries().LoadFromProgramFolder(L"unzip32");
        record_ = reinterpret_cast<StubRecordEntry>(library_->Symbol(STUB_RECORD_ENTRY))();
        script_ = reinterpret_cast<StubScriptEntry>(library_->Symbol(STUB_SCRIPT_ENTRY));
        *record_ = StubRecord{};
        script_(0, nullptr);
    }

    const StubRecord& Received() const { return *record_; }
    void Script(int32_t result, const char* printed = nullptr) { script_(result, printed); }
    Slots OptionSlots() const {
        Slots slots;
        std::copy(std::begin(record_->options), std::end(record_->options), slots.begin());
        return slots;
    }

    ExtractionWorld world;

private:
    std::unique_ptr<platform::Library> library_;
    StubRecord* record_ = nullptr;
    StubScriptEntry script_ = nullptr;
};

int32_t RunWith(const std::array<int16_t, 15>& p, const std::wstring& zip = L"a.zip",
            const std::wstring& dir = L"dest") {
    return unzip::RunUnzip(zip, dir, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9],
                           p[10], p[11], p[12], p[13], p[14]);
}

TEST_F(Stub, ParametersReachTheirSlotsWithTheirSign) {
    // Parameters 3..17 in order; the slot each belongs in (1-based).
    const int slotOf[15] = {8, 2, 3, 4, 5, 6, 7, 1, 9, 10, 11, 12, 13, 14, 15};
    const std::array<int16_t, 15> valueSets[] = {
        {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115},
        {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
        {32767, -32768, 32767, -32768, 32767, -32768, 32767, -32768, 32767, -32768, 32767,
         -32768, 32767, -32768, 32767},
    };
    for (const auto& values : valueSets) {
        RunWith(values);
        Slots expected{};
        for (int i = 0; i < 15; ++i) expected[slotOf[i] - 1] = values[i];
        EXPECT_EQ(OptionSlots(), expected);
    }
}

TEST_F(Stub, TextsCallbacksVersionAndNameLists) {
    RunWith({}, L"C:\\pkg\\Setup.zip", L"C:\\Program Files\\App");
    const StubRecord& r = Received();
    EXPECT_STREQ(r.zipFileName, "C:\\pkg\\Setup.zip");
    EXPECT_STREQ(r.extractDir, "C:\\Program Files\\App");

    const intptr_t callbacks[6] = {reinterpret_cast<intptr_t>(&unzip::DllPrint), 0,
                                   reinterpret_cast<intptr_t>(&unzip::DllReplace),
                                   reinterpret_cast<intptr_t>(&unzip::DllPassword),
                                   reinterpret_cast<intptr_t>(&unzip::ReceiveDllMessage),
                                   reinterpret_cast<intptr_t>(&unzip::DllService)};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.callbackSlots[i], callbacks[i]) << "slot " << i + 1;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r.reservedSlots[i], 0) << "slot " << i + 7;

    std::array<unsigned char, 64> version{};
    version[0] = 64;  // length, little-endian; the flag word stays 0
    std::fill_n(version.begin() + 8, 9, ' ');    // 10 bytes: 9 blanks and a zero
    std::fill_n(version.begin() + 18, 19, ' ');  // 20 bytes: 19 blanks and a zero
    std::fill_n(version.begin() + 38, 9, ' ');   // 10 bytes: 9 blanks and a zero
    EXPECT_TRUE(std::equal(version.begin(), version.end(), std::begin(r.version)));

    EXPECT_EQ(r.versionCalls, 1);
    EXPECT_EQ(r.unzipCalls, 1);
    EXPECT_EQ(r.versionBeforeUnzip, 1);
    EXPECT_EQ(r.includeCount, 0);
    EXPECT_EQ(r.excludeCount, 0);
    EXPECT_EQ(r.includeListEmpty, 1);
    EXPECT_EQ(r.excludeListEmpty, 1);
}

TEST_F(Stub, LibraryResultComesBackUnchanged) {
    for (int32_t result : {0, 1, 11, 82, -7, INT32_MAX}) {
        Script(result);
        EXPECT_EQ(RunWith({}), result);
        unzip::UnzipFiles files;
        EXPECT_EQ(files.Unzip(), result);
    }
}

TEST_F(Stub, EachCallStartsFromAnEmptyMessageState) {
    unzip::MessageState& state = unzip::State();
    state.LastMessage = state.PrintOutput = L"earlier output";
    state.ListingText = L"earlier listing";
    state.ListingCount = 12;
    state.PasswordSkip = 1;
    Script(0, "fresh");
    RunWith({});
    EXPECT_EQ(state.LastMessage, L"fresh");
    EXPECT_EQ(state.PrintOutput, L"fresh");
    EXPECT_EQ(state.ListingText, L"");
    EXPECT_EQ(state.ListingCount, 0);
    EXPECT_EQ(state.PasswordSkip, 0);
}

TEST_F(Stub, NewObjectSendsItsDefaults) {
    unzip::UnzipFiles files;
    files.Unzip();
    //              1  2  3  4  5  6  7  8  9 10 11 12 13 14 15
    EXPECT_EQ(OptionSlots(), (Slots{0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0}));
    EXPECT_STREQ(Received().zipFileName, "");
}

TEST_F(Stub, AnyTrueFlagArrivesAsOne) {
    unzip::UnzipFiles files;
    files.ExtractOnlyNewer(-1);
    files.Verbose(5);
    files.MessageLevel(-1);
    files.Privilege(32767);
    files.ExtractList(-32768);
    files.Unzip();
    Slots slots = OptionSlots();
    EXPECT_EQ(slots[0], 1);
    EXPECT_EQ(slots[12], 1);
    EXPECT_EQ(slots[3], -1);
    EXPECT_EQ(slots[14], 32767);
    EXPECT_EQ(slots[6], -32768);
}

TEST_F(Stub, PathArgumentsReplaceTheStoredOnes) {
    unzip::UnzipFiles files;
    files.ZipFileName(L"stored.zip");
    files.ExtractDir(L"stored");
    files.Unzip(L"given.zip");
    EXPECT_STREQ(Received().zipFileName, "given.zip");
    EXPECT_STREQ(Received().extractDir, "stored");
    files.Unzip();
    EXPECT_STREQ(Received().zipFileName, "given.zip");
    EXPECT_EQ(files.ZipFileName(), L"given.zip");
}

TEST_F(Stub, ValueBeyond16BitsOverflowsWithoutCallingTheLibrary) {
    Script(1, "output of the last extraction");
    unzip::UnzipFiles files;
    files.Unzip();
    const int calls = Received().unzipCalls;
    const int32_t tooLarge[] = {40000, -32769, INT32_MAX};
    for (int32_t value : tooLarge) {
        unzip::UnzipFiles other;
        other.MessageLevel(value);
        SCOPED_TRACE(value);
        EXPECT_EQ(ExpectFailure(6, [&] { other.Unzip(L"new.zip"); }).Source(), L"UnzipFiles::Unzip");
        EXPECT_EQ(other.ZipFileName(), L"new.zip");  // replaced before the overflow
    }
    EXPECT_EQ(Received().unzipCalls, calls);
    EXPECT_EQ(Received().versionCalls, calls);
    EXPECT_EQ(files.GetLastMessage(), L"output of the last extraction");
}

}  // namespace

namespace {

// A text conversion that runs out of memory.
class ExhaustedAnsi final : public platform::AnsiText {
public:
    std::string ToAnsi(std::wstring_view) override { throw std::bad_alloc(); }
    std::wstring FromAnsi(std::string_view) override { throw std::bad_alloc(); }
};

TEST_F(Stub, MemoryExhaustedBeforeTheCallIsFailure7UnderTheDriversSource) {
    ExhaustedAnsi exhausted;
    platform::Services services = platform::Current();
    services.ansi = &exhausted;
    platform::Bind(services);
    unzip::State().LastMessage = L"earlier";
    EXPECT_EQ(ExpectFailure(7, [] { RunWith({}); }).Source(), L"CodeModule::RunUnzip");
    EXPECT_EQ(Received().versionCalls, 0);
    EXPECT_EQ(Received().unzipCalls, 0);
    EXPECT_EQ(unzip::State().LastMessage, L"");
}

}  // namespace
