#include "platform/core/string_list.h"

#include <gtest/gtest.h>

#include "tests/support/read_only_folder.h"
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/core/exceptions.h"

namespace {

namespace fs = std::filesystem;

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "qmt_sl_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, ec);
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }
    // Names of everything in the folder.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename());
        return names;
    }

  private:
    fs::path path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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
} kSplitCases[] = {
    {"empty", "", {}},
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
    {"high bytes", "\xE4\x80\xFF\r\n", {"\xE4\x80\xFF"}},
};

TEST(StringList, SplitsLinesFromTextAndFile) {
    ScratchFolder dir;
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
    ScratchFolder dir;
    const std::string missing = dir.File("missing.qmt");
    try {
        TStringList list;
        list.LoadFromFile(missing);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  "Datei " + missing + " kann nicht geöffnet werden. No such file or directory");
    }
    // A folder is no file.
    TStringList list;
    EXPECT_THROW(list.LoadFromFile(dir.Path().string()), EFOpenError);
}

TEST(StringList, SaveWritesEveryLineWithCrLfUnchanged) {
    ScratchFolder dir;
    TStringList list;
    for (const char* s : {"\xE4\x80", "", "a\tb "}) list.Add(s);
    list.SaveToFile(dir.File("out.qmt"));
    EXPECT_EQ(ReadBytes(dir.File("out.qmt")), "\xE4\x80\r\n\r\na\tb \r\n");
    EXPECT_EQ(dir.Entries(), V{"out.qmt"}) << "no temporary file stays behind";
}

TEST(StringList, SaveKeepsTheFilesPermissionsAndLinks) {
    ScratchFolder dir;
    const std::string file = dir.File("t.qmt");
    WriteBytes(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    WriteFileAtomically(file, "new");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const std::string link = dir.File("link.qmt");
    fs::create_symlink(file, link);
    WriteFileAtomically(link, "via link");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(file), "via link");
}

TEST(StringList, SaveIntoAMissingFolderRaisesAndCreatesNothing) {
    ScratchFolder dir;
    const std::string path = dir.File("no/such/folder/t.qmt");
    try {
        WriteFileAtomically(path, "x");
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  "Datei " + path + " kann nicht erstellt werden. No such file or directory");
    }
    EXPECT_TRUE(dir.Entries().empty());
    EXPECT_THROW(WriteFileAtomically(dir.Path().string(), "x"), EFCreateError) << "a folder";
    EXPECT_THROW(WriteFileAtomically("", "x"), EFCreateError);
}

TEST(StringList, SaveIntoAReadOnlyFolderLeavesTheOldFile) {
    ScratchFolder dir;
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
    ScratchFolder dir;
    const std::string file = dir.File("t.qmt");
    const std::string old = "the old contents\r\n";
    WriteBytes(file, old);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        WriteFileAtomically(file, std::string(4096, 'x'));
    } catch (const EWriteError& e) {
        raised = true;
        EXPECT_EQ(e.Message(), "Stream-Schreibfehler");
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_EQ(dir.Entries(), V{"t.qmt"});
}

}  // namespace
