// The library missing from the program's folder, or missing an entry point.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "common/failure.h"
#include "expect_failure.h"
#include "extraction_world.h"
#include "unzip/code_module.h"
#include "unzip/unzip_files.h"

namespace {

using extraction_test::ExtractionWorld;

using testsupport::ExpectFailure;

int32_t RunDefaults() {
    return unzip::RunUnzip(L"a.zip", L"dest", 0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0);
}

// Runs first: the real library loading, with nothing beside this program.
TEST(Absent, LoadFailureNamesTheFileUnderEachSource) {
    ExtractionWorld world;
    unzip::State().LastMessage = unzip::State().PrintOutput = L"left from before";

    common::Failure driver = ExpectFailure(48, [] { RunDefaults(); });
    EXPECT_EQ(driver.Source(), L"CodeModule::RunUnzip");
    EXPECT_NE(driver.Description().find(L"unzip32"), std::wstring::npos) << driver.what();
    EXPECT_EQ(unzip::State().LastMessage, L"");  // reset before the failing load

    unzip::UnzipFiles files;
    common::Failure object = ExpectFailure(48, [&] { files.Unzip(L"b.zip", L"d"); });
    EXPECT_EQ(object.Description(), driver.Description());
    EXPECT_EQ(object.Source(), L"UnzipFiles::Unzip");
    EXPECT_EQ(files.ZipFileName(), L"b.zip");
    EXPECT_EQ(files.GetLastMessage(), L"");
}

// A library that offers only some entry points. Once loaded it stays loaded
// for the process, so its symbols are looked up in this table at each call.
std::map<std::string, void*>& Offered() {
    static std::map<std::string, void*> symbols;
    return symbols;
}
int g_versionCalls = 0;
int32_t UZ_CALL FakeVersion(UnzipVersionRecord*) { return ++g_versionCalls, 0; }
int32_t UZ_CALL FakeUnzip(int32_t, char**, int32_t, char**, UnzipOptionsRecord*,
                          UnzipCallbackRecord*) {
    return 11;
}

class PartialLibrary final : public platform::Library {
public:
    void* Symbol(const char* name) override {
        auto found = Offered().find(name);
        if (found == Offered().end())
            common::Raise(common::FailureNumber::DllEntryPoint, std::wstring(name, name + strlen(name)));
        return found->second;
    }
};
class PartialLibraries final : public platform::Libraries {
public:
    std::unique_ptr<platform::Library> LoadFromProgramFolder(const std::wstring&) override {
        return std::make_unique<PartialLibrary>();
    }
};

struct EntryCase {
    bool version, unzip;
    int32_t failure;  // 0: none, the result is 11
    const wchar_t* named;
    int versionCalls;
};
const EntryCase kEntries[] = {
    {false, true, 453, L"UzpVersion2", 0},
    {true, false, 453, L"Wiz_SingleEntryUnzip", 1},
    {false, false, 453, L"UzpVersion2", 0},
    {true, true, 0, L"", 1},
};

TEST(Absent, MissingEntryPointNamesItUnderTheDriversSource) {
    ExtractionWorld world;
    PartialLibraries partial;
    platform::Services services = platform::Current();
    services.libraries = &partial;
    platform::Bind(services);
    for (const EntryCase& c : kEntries) {
        SCOPED_TRACE(testing::Message() << c.version << c.unzip);
        Offered().clear();
        if (c.version) Offered()["UzpVersion2"] = reinterpret_cast<void*>(&FakeVersion);
        if (c.unzip) Offered()["Wiz_SingleEntryUnzip"] = reinterpret_cast<void*>(&FakeUnzip);
        g_versionCalls = 0;
        if (c.failure == 0) {
            EXPECT_EQ(RunDefaults(), 11);
        } else {
            common::Failure f = ExpectFailure(c.failure, [] { RunDefaults(); });
            EXPECT_EQ(f.Source(), L"CodeModule::RunUnzip");
            EXPECT_NE(f.Description().find(c.named), std::wstring::npos) << f.what();
        }
        EXPECT_EQ(g_versionCalls, c.versionCalls);
    }
}

}  // namespace
