#include "platform/core/string_list.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "tests/support/read_only_folder.h"
#include "tests/support/test_helpers.h"

namespace {

using V = std::vector<std::string>;

TEST(StringList, SplitsLinesFromTextAndFile) {
    const struct {
        std::string bytes;
        V lines;
    } cases[] = {{"", {}},
                 {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                 {"a\n\rb", {"a", "", "b"}},                      // LF CR is two breaks
                 {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},  // a NUL ends the text
                 {"\xE4\x80\xFF\r\n", {"\xE4\x80\xFF"}}};
    ScratchDir dir;
    for (const auto& c : cases) {
        TStringList list;
        list.SetText(c.bytes);
        EXPECT_EQ(list.Items(), c.lines) << c.bytes;
        WriteBytes(dir.File("t.qmt"), c.bytes);
        list.LoadFromFile(dir.File("t.qmt"));  // replaces the lines
        EXPECT_EQ(list.Items(), c.lines) << c.bytes;
    }
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
    const std::string file = dir.File("t.qmt");
    WriteBytes(file, "old bytes\r\n");
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
