#include "platform/core/string_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
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
    SetText(bytes.View());
}

void TStringList::SaveToFile(const std::string& path) const {
    WriteFileAtomically(path, Text());
}

// ---------------------------------------------------------------------------

void FileBytes::Load(const std::string& path) {
    size_ = 0;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) RaiseOpen(path, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) RaiseOpen(path, errno);
    if (S_ISDIR(st.st_mode)) RaiseOpen(path, EISDIR);

    // One read for a regular file (one byte more, to see the end at once);
    // files that report no size are read in blocks.
    Reserve(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 65536);
    while (true) {
        if (size_ == capacity_) Reserve(capacity_ * 2);
        const ssize_t n = ::read(fd.Get(), data_.get() + size_, capacity_ - size_);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseOpen(path, errno);
        }
        if (n == 0) break;
        size_ += static_cast<size_t>(n);
    }
}

void FileBytes::Reserve(size_t capacity) {
    if (capacity <= capacity_) return;
    std::unique_ptr<char[]> grown(new char[capacity]);
    if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
    data_ = std::move(grown);
    capacity_ = capacity;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) RaiseCreate(path, ENOENT);

    // Write through a symbolic link to the file it names, keeping the link.
    std::string target = path;
    struct stat st {};
    bool exists = false;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    if (::stat(target.c_str(), &st) == 0) {
        exists = true;
        if (S_ISDIR(st.st_mode)) RaiseCreate(path, EISDIR);
        // A file the user may not write stays as it is, as creating it over would
        // fail; so does a read-only file (no write bit at all), also for the superuser.
        if (::access(target.c_str(), W_OK) != 0) RaiseCreate(path, errno);
        if ((st.st_mode & 0222) == 0) RaiseCreate(path, EACCES);
    }

    const size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tempName = folder + "." + name + ".XXXXXX";
    FileDescriptor fd(::mkstemp(tempName.data()));
    if (fd.Get() < 0) RaiseCreate(path, errno);

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
            mode = st.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd.Get(), mode);

        if (!WriteAll(fd.Get(), bytes.data(), bytes.size()) || ::fsync(fd.Get()) != 0 ||
            ::close(fd.Release()) != 0) {
            throw EWriteError(Msg::WriteError);
        }
        if (::rename(tempName.c_str(), target.c_str()) != 0) {
            createErr = errno;
        } else {
            ok = true;
        }
    }
    if (!ok) RaiseCreate(path, createErr);

    // Make the new directory entry durable too; a failure here loses nothing written.
    const std::string dirName = folder.empty() ? std::string(".") : folder;
    const int dirFd = ::open(dirName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
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
