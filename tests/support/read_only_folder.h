#pragma once
// Makes a folder read-only for the length of a test, also for the superuser:
// besides the permission bits it sets the file system's immutable flag, which
// binds root too. By default the files directly in the folder are frozen the
// same way (write bits cleared, immutable), so that nothing in it can change;
// with files == false only the folder itself refuses new entries.
// Blocks() tells whether that worked.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(std::string path, bool files = true) : path_(std::move(path)) {
        if (files) {
            for (const auto& e : std::filesystem::directory_iterator(path_)) {
                struct stat st {};
                const std::string file = e.path().string();
                if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
                files_.emplace_back(file, st.st_mode & 07777);
                ::chmod(file.c_str(), st.st_mode & 07555);
                SetImmutable(file, true);
            }
        }
        ::chmod(path_.c_str(), 0555);
        SetImmutable(path_, true);
        const std::string probe = path_ + "/.probe";
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0644);
        blocks_ = fd < 0;
        if (fd >= 0) ::close(fd), ::unlink(probe.c_str());
        for (const auto& [file, mode] : files_) {
            const int f = ::open(file.c_str(), O_WRONLY);
            if (f >= 0) ::close(f), blocks_ = false;
        }
    }
    ~ReadOnlyFolder() {
        SetImmutable(path_, false);
        ::chmod(path_.c_str(), 0755);
        for (const auto& [file, mode] : files_) {
            SetImmutable(file, false);
            ::chmod(file.c_str(), mode);
        }
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool Blocks() const { return blocks_; }

  private:
    static void SetImmutable(const std::string& path, bool on) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }
    std::string path_;
    std::vector<std::pair<std::string, mode_t>> files_;
    bool blocks_ = false;
};
