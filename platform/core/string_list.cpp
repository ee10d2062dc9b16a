#include "platform/core/string_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <new>
#include <filesystem>
#include <utility>

#include "platform/core/exceptions.h"

namespace {

std::string Reason(int err) {
    return std::strerror(err);
}

[[noreturn]] void RaiseOpen(const std::string& path, int err) {
    throw EFOpenError(FormatMessage(Msg::FOpenError, {ExpandFileName(path), Reason(err)}));
}

[[noreturn]] void RaiseCreate(const std::string& path, int err) {
    throw EFCreateError(FormatMessage(Msg::FCreateError, {ExpandFileName(path), Reason(err)}));
}

// For a device, FIFO or socket, which the system itself would not refuse.
template <class E>
[[noreturn]] void RaiseNotRegular(const char* pattern, const std::string& path) {
    throw E(FormatMessage(pattern, {ExpandFileName(path), Msg::NotRegularFile}));
}

// How many symbolic links a save follows in a row (as the system does).
constexpr int kMaxLinkDepth = 40;
// The part of a file's name its temporary file's name keeps.
constexpr size_t kTempNameStem = 200;

// Closes a descriptor on every path out of a scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Asks the system to start writing [offset, offset + size) of fd to its
// disk without waiting for it; the later fsync then has less left to wait for.
void StartWriteBack(int fd, off_t offset, size_t size) {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, offset, static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)offset;
    (void)size;
#endif
}

}  // namespace

// ---------------------------------------------------------------------------

const AnsiString& TStringList::operator[](int index) const {
    CheckListIndex(index, Count());
    return items_[static_cast<size_t>(index)];
}

AnsiString& TStringList::operator[](int index) {
    CheckListIndex(index, Count());
    return items_[static_cast<size_t>(index)];
}

AnsiString TStringList::Names(int index) const {
    const AnsiString& s = (*this)[index];
    const size_t eq = s.find('=');
    return eq == AnsiString::npos ? s : s.substr(0, eq);
}

AnsiString TStringList::ValueFromIndex(int index) const {
    const AnsiString& s = (*this)[index];
    const size_t eq = s.find('=');
    return eq == AnsiString::npos ? AnsiString() : s.substr(eq + 1);
}

void TStringList::SetText(std::string_view text) {
    items_.clear();
    ForEachTextLine(text, [this](std::string_view line) { items_.emplace_back(line); });
}

std::string TStringList::Text() const {
    size_t size = 0;
    for (const auto& s : items_) size += s.size() + 2;
    std::string out;
    out.reserve(size);
    for (const auto& s : items_) {
        out += s;
        out += "\r\n";
    }
    return out;
}

void TStringList::LoadFromFile(const std::string& path) {
    FileBytes bytes;
    bytes.Load(path);
    try {
        SetText(bytes.View());
    } catch (const std::bad_alloc&) {
        RaiseOpen(path, ENOMEM);
    }
}

void TStringList::SaveToFile(const std::string& path) const {
    WriteFileAtomically(path, Text());
}

// ---------------------------------------------------------------------------

FileStream::~FileStream() {
    if (fd_ >= 0) ::close(fd_);
}

void FileStream::Open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_ = path;
    // Without blocking: opening a FIFO would otherwise wait for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0) RaiseOpen(path, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) RaiseOpen(path, errno);
    if (S_ISDIR(st.st_mode)) RaiseOpen(path, EISDIR);
    // Devices, FIFOs and the like may never end (/dev/zero) or never answer.
    if (!S_ISREG(st.st_mode)) RaiseNotRegular<EFOpenError>(Msg::FOpenError, path);
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    size_ = static_cast<uint64_t>(st.st_size);
    fd_ = fd.Release();
}

size_t FileStream::ReadInto(LargeBytes& bytes, size_t n) {
    if (!bytes.Room(n)) RaiseOpen(path_, ENOMEM);
    while (true) {
        const ssize_t got = ::read(fd_, bytes.Cursor(), n);
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseOpen(path_, errno);
        }
        bytes.Advance(static_cast<size_t>(got));
        return static_cast<size_t>(got);
    }
}

void FileBytes::Load(const std::string& path) {
    FileStream file;
    file.Open(path);
    Load(file);
}

void FileBytes::Load(FileStream& file) {
    bytes_.Clear();
    released_ = 0;
    const std::string& path = file.Path();
    // One read for a regular file (one byte more, to see the end at once);
    // files that report no size (such as those under /proc) are read in blocks.
    const uint64_t size = file.Size();
    if (size >= SIZE_MAX / 2) RaiseOpen(path, ENOMEM);
    if (!bytes_.RoomForExactly(size > 0 ? static_cast<size_t>(size) + 1 : 65536))
        RaiseOpen(path, ENOMEM);
    while (true) {
        const size_t room = bytes_.Capacity() - bytes_.Size();
        if (file.ReadInto(bytes_, room > 0 ? room : bytes_.Capacity()) == 0) break;
    }
}

void FileBytes::ReleaseBefore(const char* upTo) noexcept {
    char* const data = bytes_.Data();
    if (upTo < data || upTo > data + bytes_.Size()) return;
    const auto upToAt = static_cast<size_t>(upTo - data);
    // In steps of many pages: each step is one call to the system.
    if (upToAt < released_ + 4 * large_memory::kHugePage) return;
    large_memory::Release(data + released_, upToAt - released_);
    released_ = upToAt & ~(large_memory::kHugePage - 1);
}

namespace {

// The file that path names once every symbolic link on its last part is
// followed (each link read relative to its own folder), also when the last
// link points at nothing yet. Raises EFCreateError for a loop or a chain too long.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0) RaiseCreate(path, errno);
        if (static_cast<size_t>(n) >= link.size()) RaiseCreate(path, ENAMETOOLONG);
        link.resize(static_cast<size_t>(n));
        if (link.empty()) RaiseCreate(path, ENOENT);
        if (link[0] == '/') {
            current = link;
        } else {
            const size_t slash = current.rfind('/');
            current = slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
        }
    }
    RaiseCreate(path, ELOOP);
}

// Overwrites the existing regular file target where it stands (same inode),
// for when replacing it would lose a hard link or no file can be created next
// to it. Returns false with errno set when it cannot be opened for writing.
bool WriteInPlace(const std::string& target, const struct stat& expected, std::string_view bytes) {
    FileDescriptor fd(
        ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    if (fd.Get() < 0) return false;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return false;
    // Someone put something else there since it was looked at.
    if (!S_ISREG(st.st_mode) || st.st_dev != expected.st_dev || st.st_ino != expected.st_ino) {
        errno = EBUSY;
        return false;
    }
    if (!WriteAll(fd.Get(), bytes.data(), bytes.size()) ||
        ::ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.Get()) != 0 ||
        ::close(fd.Release()) != 0) {
        throw EWriteError(Msg::WriteError);
    }
    return true;
}

// The folder may refuse new entries (no write permission, immutable) while the
// file itself can still be written.
bool FolderRefused(int err) {
    return err == EACCES || err == EPERM;
}

}  // namespace

namespace {

// A text that stands whole in memory already.
class WholeText final : public FileText {
  public:
    explicit WholeText(std::string_view bytes) : bytes_(bytes) {}
    bool Make(const Put& put) const override {
        put(bytes_);
        return true;
    }

  private:
    std::string_view bytes_;
};

// Writes the text that text makes over target where it stands (made whole
// in memory first: a text that cannot be made must not leave the file half
// overwritten). False when the text cannot be made, the file then untouched;
// otherwise raises EFCreateError with the reason err when given (0: the
// reason the file could not be opened) if the file cannot be opened, and
// EWriteError as WriteInPlace does.
bool MakeAndWriteInPlace(const std::string& path, const std::string& target, const struct stat& st,
                         const FileText& text, int err) {
    LargeBytes made;
    if (!text.Make([&made](std::string_view piece) { made.Append(piece); })) return false;
    if (!WriteInPlace(target, st, made.View())) RaiseCreate(path, err != 0 ? err : errno);
    return true;
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    WriteFileAtomically(path, WholeText(bytes));
}

bool WriteFileAtomically(const std::string& path, const FileText& text) {
    if (path.empty()) RaiseCreate(path, ENOENT);

    // Write through symbolic links to the file they name, keeping the links.
    const std::string target = FollowLinks(path);
    struct stat st {};
    bool exists = false;
    if (::lstat(target.c_str(), &st) == 0) {
        exists = true;
        if (S_ISDIR(st.st_mode)) RaiseCreate(path, EISDIR);
        // A device, FIFO or socket is never replaced by a file.
        if (!S_ISREG(st.st_mode)) RaiseNotRegular<EFCreateError>(Msg::FCreateError, path);
        // A file the user may not write stays as it is, as creating it over would
        // fail; so does a read-only file (no write bit at all), also for the superuser.
        if (::access(target.c_str(), W_OK) != 0) RaiseCreate(path, errno);
        if ((st.st_mode & 0222) == 0) RaiseCreate(path, EACCES);
        // Replacing a file with further hard links would split it from them.
        if (st.st_nlink > 1) return MakeAndWriteInPlace(path, target, st, text, 0);
    }

    const size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // "." + name + ".XXXXXX" stays within the longest name a folder takes.
    std::string tempName = folder + "." + name.substr(0, kTempNameStem) + ".XXXXXX";
    FileDescriptor fd(::mkostemp(tempName.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        const int err = errno;
        if (exists && FolderRefused(err)) return MakeAndWriteInPlace(path, target, st, text, err);
        RaiseCreate(path, err);
    }

    bool ok = false;
    int createErr = 0;
    {
        // Remove the temporary file on every way out that did not rename it.
        struct TempGuard {
            const std::string& name;
            bool& done;
            ~TempGuard() {
                if (!done) ::unlink(name.c_str());
            }
        } guard{tempName, ok};

        mode_t mode;
        if (exists) {
            // The superuser keeps the file's owner and group; anyone else keeps
            // the group when a member of it. Set-id and sticky bits never carry over.
            if (::geteuid() == 0) {
                (void)::fchown(fd.Get(), st.st_uid, st.st_gid);
            } else if (st.st_gid != ::getegid()) {
                (void)::fchown(fd.Get(), static_cast<uid_t>(-1), st.st_gid);
            }
            mode = st.st_mode & 0777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd.Get(), mode);

        // Each piece is written as it is made; every few megabytes the system
        // is asked to start putting them on the disk, while the next ones are made.
        constexpr off_t kWriteBackStep = off_t{8} << 20;
        off_t written = 0;
        off_t started = 0;  // writeback is asked for the bytes before this
        const bool made = text.Make([&](std::string_view piece) {
            if (!WriteAll(fd.Get(), piece.data(), piece.size())) throw EWriteError(Msg::WriteError);
            written += static_cast<off_t>(piece.size());
            if (written - started >= kWriteBackStep) {
                StartWriteBack(fd.Get(), started, static_cast<size_t>(written - started));
                started = written;
            }
        });
        if (!made) return false;
        if (::fsync(fd.Get()) != 0 || ::close(fd.Release()) != 0) {
            throw EWriteError(Msg::WriteError);
        }
        if (::rename(tempName.c_str(), target.c_str()) != 0) {
            createErr = errno;
        } else {
            ok = true;
        }
    }
    if (!ok) {
        // A sticky folder keeps another user's file from being replaced, though
        // it may be writable.
        if (exists && FolderRefused(createErr))
            return MakeAndWriteInPlace(path, target, st, text, createErr);
        RaiseCreate(path, createErr);
    }

    // Make the new directory entry durable too; a failure here loses nothing written.
    const std::string dirName = folder.empty() ? std::string(".") : folder;
    const int dirFd = ::open(dirName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

std::string ExpandFileName(const std::string& path) {
    if (path.empty()) return path;
    std::filesystem::path p(path);
    if (p.is_relative()) {
        std::error_code ec;
        const auto cwd = std::filesystem::current_path(ec);
        if (!ec) p = cwd / p;
    }
    return p.lexically_normal().string();
}
