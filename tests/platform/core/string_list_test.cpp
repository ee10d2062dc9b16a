#include "platform/core/string_list.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "tests/support/read_only_folder.h"
#include "tests/support/test_helpers.h"

namespace {

std::vector<std::string> Lines(std::string_view text) {
    TStringList list;
    list.SetText(text);
    return list.Items();
}

using V = std::vector<std::string>;

const struct {
    const char* name;
    std::string bytes;
    V lines;
} kSplitCases[] = {{"empty", "", {}},
                   {"one line without break", "abc", {"abc"}},
                   {"CR LF", "a\r\nb\r\n", {"a", "b"}},
                   {"lone CR", "a\rb\r", {"a", "b"}},
                   {"lone LF", "a\nb\n", {"a", "b"}},
                   {"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                   {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
                   {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
                   {"empty lines", "\r\n\r\n", {"", ""}},
                   {"blanks kept", "  a \t\r\n", {"  a \t"}},
                   {"NUL ends the text", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
                   {"high bytes", "\xE4\x80\xFF\r\n", {"\xE4\x80\xFF"}}};

TEST(StringList, SplitsLinesFromTextAndFile) {
    ScratchDir dir;
    for (const auto& c : kSplitCases) {
        EXPECT_EQ(Lines(c.bytes), c.lines) << c.name;
        WriteBytes(dir.File("t.qmt"), c.bytes);
        TStringList list;
        list.Add("old");
        list.LoadFromFile(dir.File("t.qmt"));
        EXPECT_EQ(list.Items(), c.lines) << c.name;
    }
}

TEST(StringList, LoadFromFileReportsTheFullPathAndReason) {
    ScratchDir dir;
    TStringList list;
    const std::string missing = dir.File("missing.qmt");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(missing); }),
              "Datei " + missing + " kann nicht geöffnet werden. No such file or directory");
    EXPECT_THROW(list.LoadFromFile(dir.Path().string()), EFOpenError) << "a folder is no file";
}

TEST(StringList, SaveWritesCrLfLinesKeepingPermissionsAndLinks) {
    ScratchDir dir;
    const std::string file = dir.File("t.qmt");
    WriteBytes(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    TStringList list;
    for (const char* s : {"\xE4\x80", "", "a\tb "}) list.Add(s);
    list.SaveToFile(file);
    EXPECT_EQ(ReadBytes(file), "\xE4\x80\r\n\r\na\tb \r\n");
    EXPECT_EQ(dir.Entries(), V{"t.qmt"}) << "no temporary file stays behind";
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const std::string link = dir.File("link.qmt");
    std::filesystem::create_symlink(file, link);
    WriteFileAtomically(link, "via link");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(file), "via link");
}

TEST(StringList, SaveWhereNoFileCanBeCreatedRaisesAndLeavesTheFolder) {
    ScratchDir dir;
    const std::string path = dir.File("no/such/folder/t.qmt");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileAtomically(path, "x"); }),
              "Datei " + path + " kann nicht erstellt werden. No such file or directory");
    EXPECT_TRUE(dir.Entries().empty());
    EXPECT_THROW(WriteFileAtomically(dir.Path().string(), "x"), EFCreateError) << "a folder";
    EXPECT_THROW(WriteFileAtomically("", "x"), EFCreateError);

    const std::string file = dir.File("t.qmt");
    WriteBytes(file, "old bytes\r\n");
    ::chmod(file.c_str(), 0444);  // a read-only file stays, for every user
    EXPECT_THROW(WriteFileAtomically(file, "new"), EFCreateError) << "a read-only file";
    ::chmod(file.c_str(), 0644);
    {
        ReadOnlyFolder readOnly(dir.Path().string());
        if (!readOnly.Blocks()) GTEST_SKIP() << "this file system cannot make a folder read-only";
        EXPECT_THROW(WriteFileAtomically(file, "new"), EFCreateError);
    }
    EXPECT_EQ(ReadBytes(file), "old bytes\r\n");
    EXPECT_EQ(dir.Entries(), V{"t.qmt"});
}

// A write that fails half-way (here: the file size limit, which binds every
// user) must leave the old file byte for byte and no temporary file.
TEST(StringList, AFailedWriteLeavesTheOldFileUntouched) {
    ScratchDir dir;
    const std::string file = dir.File("t.qmt");
    WriteBytes(file, "the old contents\r\n");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string message =
        MessageOf<EWriteError>([&] { WriteFileAtomically(file, std::string(4096, 'x')); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Stream-Schreibfehler");
    EXPECT_EQ(ReadBytes(file), "the old contents\r\n");
    EXPECT_EQ(dir.Entries(), V{"t.qmt"});
}

}  // namespace
