#include "platform/core/string_list.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <csignal>
#include <functional>

#include "tests/support/read_only_folder.h"
#include "tests/support/test_helpers.h"

namespace {

using V = std::vector<std::string>;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Runs action in a forked child that is killed after a few seconds, so that a
// load which blocks or reads without end fails the test instead of hanging it.
// Returns what action returned, or what went wrong in the child.
std::string InChild(const std::function<std::string()>& action) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(5);
        if (!kSanitized) {
            // A load that reads without end stops at this instead of the machine's memory.
            const rlimit limit{rlim_t{4} << 30, rlim_t{4} << 30};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        std::string out;
        try {
            out = action();
        } catch (const std::exception& e) {
            out = std::string("unexpected exception: ") + e.what();
        }
        (void)::write(fds[1], out.data(), out.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buf[512];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return out;
}

// The message of the open error that loading path raises.
std::string LoadMessage(const std::string& path) {
    try {
        TStringList list;
        list.LoadFromFile(path);
    } catch (const EFOpenError& e) {
        return e.Message();
    }
    return "loaded";
}

// In a child: drops the superuser's rights for those of the user nobody.
bool BecomeNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
           ::setresuid(65534, 65534, 65534) == 0;
}

// Makes a listening local socket at path; returns its descriptor.
int MakeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return -1;
    return fd;
}

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
        EXPECT_THROW(WriteFileAtomically(dir.File("new.qmt"), "new"), EFCreateError);
    }
    EXPECT_EQ(ReadBytes(file), "old bytes\r\n");
    EXPECT_EQ(dir.Entries(), V{"t.qmt"});

    // A file that can still be written in a folder that takes no new file is
    // overwritten where it stands.
    const ino_t inode = Inode(file);
    {
        ReadOnlyFolder readOnly(dir.Path().string(), /*files=*/false);
        if (!readOnly.Blocks()) GTEST_SKIP() << "this file system cannot make a folder read-only";
        WriteFileAtomically(file, "new");
    }
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(Inode(file), inode);
    EXPECT_EQ(dir.Entries(), V{"t.qmt"});
}

TEST(StringList, LoadRefusesWhatIsNoRegularFileWithoutWaiting) {
    ScratchDir dir;
    const std::string fifo = dir.File("fifo.qmt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string sock = dir.File("sock.qmt");
    const int sockFd = MakeSocket(sock);
    const std::string notRegular = "Keine reguläre Datei";
    const struct {
        std::string path, reason;
    } cases[] = {{fifo, notRegular},  // no writer: opening it would wait for one
                 {"/dev/zero", notRegular},
                 {"/dev/urandom", notRegular},
                 {"/dev/null", notRegular},
                 {sock, "No such device or address"}};
    for (const auto& c : cases) {
        if (c.path == sock && sockFd < 0) continue;
        EXPECT_EQ(InChild([&] { return LoadMessage(c.path); }),
                  "Datei " + c.path + " kann nicht geöffnet werden. " + c.reason);
    }
    // A FIFO with a writer that never writes.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(InChild([&] { return LoadMessage(fifo); }),
              "Datei " + fifo + " kann nicht geöffnet werden. " + notRegular);
    ::close(writer);
    if (sockFd >= 0) ::close(sockFd);
}

TEST(StringList, LoadWithoutMemoryForTheFileRaisesTheOpenError) {
    if (kSanitized) GTEST_SKIP() << "the sanitizer's allocator stops the program instead";
    ScratchDir dir;
    const std::string file = dir.File("huge.qmt");
    WriteBytes(file, "");
    if (::truncate(file.c_str(), off_t{8} << 30) != 0) GTEST_SKIP() << "no sparse files here";
    EXPECT_EQ(InChild([&] {
                  const rlimit limit{rlim_t{2} << 30, rlim_t{2} << 30};
                  ::setrlimit(RLIMIT_AS, &limit);
                  return LoadMessage(file);
              }),
              "Datei " + file + " kann nicht geöffnet werden. Cannot allocate memory");
}

TEST(StringList, SaveRefusesToReplaceWhatIsNoRegularFile) {
    ScratchDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string sock = dir.File("sock");
    const int sockFd = MakeSocket(sock);
    // A device node of its own (the null device's numbers), never the real one.
    const std::string device = dir.File("null");
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    std::filesystem::create_symlink(fifo, dir.File("to_fifo"));
    std::filesystem::create_symlink("null", dir.File("to_device"));
    std::vector<std::string> paths = {fifo, dir.File("to_fifo")};
    if (sockFd >= 0) paths.push_back(sock);
    if (haveDevice) paths.insert(paths.end(), {device, dir.File("to_device")});
    const V entries = dir.Entries();
    for (const auto& path : paths) {
        const ino_t inode = Inode(path);
        EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileAtomically(path, "x"); }),
                  "Datei " + path + " kann nicht erstellt werden. Keine reguläre Datei");
        EXPECT_EQ(Inode(path), inode) << path;
    }
    EXPECT_EQ(dir.Entries(), entries);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    if (haveDevice) {
        EXPECT_TRUE(std::filesystem::is_character_file(device));
    }
    if (sockFd >= 0) ::close(sockFd);
}

TEST(StringList, SaveKeepsOwnerAndModeButNoSetIdBits) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser to give files away";
    ScratchDir dir;
    const struct { mode_t before, after; } cases[] = {{06755, 0755}, {01644, 0644}, {0600, 0600}};
    for (const auto& c : cases) {
        const std::string file = dir.File("t.qmt");
        WriteBytes(file, "old");
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chmod(file.c_str(), c.before), 0);
        WriteFileAtomically(file, "new");
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, c.after) << std::oct << c.before;
        EXPECT_EQ(ReadBytes(file), "new");
    }
}

TEST(StringList, SaveOverAFileWithHardLinksWritesItWhereItStands) {
    ScratchDir dir;
    const std::string file = dir.File("t.qmt");
    const std::string other = dir.File("other.qmt");
    WriteBytes(file, "the old contents");
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    const ino_t inode = Inode(file);
    for (const std::string bytes : {"a longer text than the old contents", "short"}) {
        WriteFileAtomically(file, bytes);
        EXPECT_EQ(ReadBytes(other), bytes);
        EXPECT_EQ(Inode(file), inode);
        EXPECT_EQ(Inode(other), inode);
    }
    EXPECT_EQ(dir.Entries(), (V{"other.qmt", "t.qmt"}));
}

TEST(StringList, SaveThroughALinkToNothingYetCreatesItsTarget) {
    ScratchDir dir;
    std::filesystem::create_directories(dir.Path() / "links");
    std::filesystem::create_directories(dir.Path() / "data");
    // first -> links/second -> ../data/new.qmt, each relative to its own folder.
    std::filesystem::create_symlink("links/second", dir.File("first"));
    std::filesystem::create_symlink("../data/new.qmt", dir.File("links/second"));
    WriteFileAtomically(dir.File("first"), "via two links");
    EXPECT_EQ(ReadBytes(dir.File("data/new.qmt")), "via two links");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("first")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("links/second")));
    EXPECT_EQ(dir.Entries(), (V{"data", "first", "links"}));

    std::filesystem::create_symlink("loop_b", dir.File("loop_a"));
    std::filesystem::create_symlink("loop_a", dir.File("loop_b"));
    const std::string loop = dir.File("loop_a");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileAtomically(loop, "x"); }),
              "Datei " + loop + " kann nicht erstellt werden. Too many levels of symbolic links");
    EXPECT_TRUE(std::filesystem::is_symlink(loop));
}

TEST(StringList, SaveTakesNamesUpToTheLongestAFolderHolds) {
    ScratchDir dir;
    for (const size_t length : {248u, 255u}) {
        const std::string file = dir.File(std::string(length, 'n'));
        WriteFileAtomically(file, "first");
        WriteFileAtomically(file, "second");
        EXPECT_EQ(ReadBytes(file), "second") << length;
        ::unlink(file.c_str());
    }
    const std::string tooLong = dir.File(std::string(256, 'n'));
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileAtomically(tooLong, "x"); }),
              "Datei " + tooLong + " kann nicht erstellt werden. File name too long");
    EXPECT_TRUE(dir.Entries().empty());
}

// What another user meets: a writable file is saved even where that user may
// create no file (in place then), and atomically wherever possible.
TEST(StringList, SaveAsAnotherUserWritesInPlaceOnlyWhereItMust) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser to act as another user";
    ScratchDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const struct {
        const char* name;
        mode_t folderMode;
        bool ownFile;  // the file belongs to the saving user
        bool inPlace;
    } cases[] = {{"a shared file in a closed folder", 0755, false, true},
                 {"a shared file in a sticky folder", 01777, false, true},
                 {"an own file in an open folder", 0777, true, false}};
    int n = 0;
    for (const auto& c : cases) {
        const std::string folder = dir.File("f" + std::to_string(n++));
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        const std::string file = folder + "/t.qmt";
        WriteBytes(file, "old");
        ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
        if (c.ownFile) {
            ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
        }
        const ino_t inode = Inode(file);
        const std::string result = InChild([&]() -> std::string {
            if (!BecomeNobody()) return "cannot become another user";
            WriteFileAtomically(file, "new");
            return "saved";
        });
        EXPECT_EQ(result, "saved") << c.name;
        EXPECT_EQ(ReadBytes(file), "new") << c.name;
        EXPECT_EQ(Inode(file) == inode, c.inPlace) << c.name;
        EXPECT_EQ(std::filesystem::directory_iterator(folder)->path(), file) << "nothing else";
    }
    // Where the user may create no file, a new one cannot be saved.
    const std::string folder = dir.File("f0");
    EXPECT_EQ(
        InChild([&]() -> std::string {
            if (!BecomeNobody()) return "cannot become another user";
            return MessageOf<EFCreateError>([&] { WriteFileAtomically(folder + "/new.qmt", "x"); });
        }),
        "Datei " + folder + "/new.qmt kann nicht erstellt werden. Permission denied");
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
