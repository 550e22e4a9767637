// The library's inner rules, table by table: path refusal, wildcards, line
// ends, code page 437, the forms of a Windows path.
#include <gtest/gtest.h>

#include "unzip32/data/line_ends.h"
#include "unzip32/format/text_encoding.h"
#include "unzip32/modes/path_sanitizer.h"
#include "unzip32/os/windows_paths.h"
#include "unzip32/run/name_matcher.h"

namespace uz {
namespace {

struct PathCase {
    const char* name;
    bool windows;
    const char* expect;  // components joined by '/', or "!" for a refusal
};

const PathCase kPaths[] = {
    {"a/b/c.txt", false, "a/b/c.txt"},
    {"a\\b\\c.txt", false, "a/b/c.txt"},
    {"./a//b/./c", false, "a/b/c"},
    {"a/../b", false, "!"},
    {"..", false, "!"},
    {"/etc/passwd", false, "!"},
    {"\\\\server\\share", false, "!"},
    {"C:\\x", false, "!"},
    {"c:x", false, "!"},
    {"a/b..c/..d", false, "a/b..c/..d"},
    {"con", false, "con"},
    {"con", true, "!"},
    {"dir/NUL.txt", true, "!"},
    {"Com1", true, "!"},
    {"lpt9.log", true, "!"},
    {"COM10", true, "COM10"},
    {"console", true, "console"},
    {"a/file:stream", true, "!"},
    {"trailing. ", true, "trailing"},
    {"...", true, "!"},
    {"q?<*>|\"x", true, "q______x"},
};

TEST(Parts, PathSanitizer) {
    for (const PathCase& c : kPaths) {
        PathRules rules;
        rules.windows = c.windows;
        const SafePath p = SanitizePath(c.name, rules);
        std::string joined;
        for (const auto& part : p.components) joined += (joined.empty() ? "" : "/") + part;
        EXPECT_EQ(p.refused() ? "!" : joined, c.expect) << c.name << (c.windows ? " (windows)" : "");
    }
}

TEST(Parts, LinkTargets) {
    struct Case {
        std::vector<std::string> link;
        const char* target;
        bool inside;
    };
    const Case cases[] = {
        {{"l"}, "a/b", true},      {{"l"}, "../x", false},   {{"d", "l"}, "../x", true},
        {{"d", "l"}, "../../x", false}, {{"l"}, "/abs", false}, {{"l"}, "a/../b", false},
        {{"l"}, "C:\\x", false},   {{"l"}, "", false},       {{"l"}, ".", true},
    };
    for (const Case& c : cases) EXPECT_EQ(LinkStaysInside(c.link, c.target), c.inside) << c.target;
}

TEST(Parts, Wildcards) {
    struct Case {
        const char* pattern;
        const char* name;
        bool caseSensitive;
        bool match;
    };
    static const std::string kManyA(60, 'a');
    const Case cases[] = {
        {"*", "anything/at/all", true, true},  {"*.txt", "a/b.txt", true, true},  {"*.txt", "a.TXT", true, false},
        {"*.txt", "a.TXT", false, true},       {"?", "ab", true, false},          {"a?c", "abc", true, true},
        {"[a-c]x", "bx", true, true},          {"[!a-c]x", "bx", true, false},    {"[^a-c]x", "dx", true, true},
        {"[abc", "[abc", true, true},          {"a*b*c*d", "axxbyyczzd", true, true},
        {"a*b*c*d", "axxbyyczz", true, false}, {"dir\\*", "dir/file", true, true},
        {"*a*a*a*a*a*a*a*a*b", kManyA.c_str(), true, false},
    };
    for (const Case& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.name, c.caseSensitive), c.match) << c.pattern << " " << c.name;
}

TEST(Parts, LineEndsAcrossChunks) {
    struct Case {
        bool toCrLf;
        std::vector<std::string> chunks;
        const char* expect;
    };
    const Case cases[] = {
        {true, {"a\nb\r\nc"}, "a\r\nb\r\nc"},
        {true, {"a\r", "\nb\n"}, "a\r\nb\r\n"},
        {false, {"a\r\nb\r\n"}, "a\nb\n"},
        {false, {"a\r", "\nb\r"}, "a\nb\r"},
        {false, {"a\rb"}, "a\rb"},
    };
    for (const Case& c : cases) {
        LineEndConverter converter(c.toCrLf);
        std::string out;
        for (const auto& chunk : c.chunks)
            converter.convert(reinterpret_cast<const uint8_t*>(chunk.data()), chunk.size(), out);
        converter.finish(out);
        EXPECT_EQ(out, c.expect);
    }
}

TEST(Parts, Texts) {
    EXPECT_EQ(Cp437ToUtf8("caf\x82 \xe1"), "caf\xc3\xa9 \xc3\x9f");
    EXPECT_TRUE(IsValidUtf8("\xe6\x97\xa5"));
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));  // overlong '/'
    EXPECT_EQ(RepairUtf8("a\xc0\xaf" "b"), "a??b");
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xf0\x9f\x98\x80x")), "\xf0\x9f\x98\x80x");
}

// Each form from each of the three, on a drive and on a share.
TEST(WindowsPaths, EachFormFromEveryForm) {
    struct Forms {
        const wchar_t *plain, *longForm, *native;
    };
    const Forms kPaths[] = {
        {LR"(C:\dir\a.txt)", LR"(\\?\C:\dir\a.txt)", LR"(\??\C:\dir\a.txt)"},
        {LR"(C:\)", LR"(\\?\C:\)", LR"(\??\C:\)"},
        {LR"(\\server\share\dir)", LR"(\\?\UNC\server\share\dir)", LR"(\??\UNC\server\share\dir)"},
    };
    for (const Forms& f : kPaths) {
        for (const wchar_t* given : {f.plain, f.longForm, f.native}) {
            EXPECT_EQ(os::PlainForm(given), f.plain) << given;
            EXPECT_EQ(os::LongForm(given), f.longForm) << given;
            EXPECT_EQ(os::NativeForm(given), f.native) << given;
        }
    }
}

}  // namespace
}  // namespace uz
