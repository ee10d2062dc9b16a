#pragma once
// Makes a folder read-only for the length of a test, also for the superuser:
// besides the permission bits it sets the file system's immutable flag, which
// binds root too. Blocks() tells whether writes into the folder now fail.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
        ::chmod(path_.c_str(), 0555);
        SetImmutable(true);
        const std::string probe = path_ + "/.probe";
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0644);
        blocks_ = fd < 0;
        if (fd >= 0) ::close(fd), ::unlink(probe.c_str());
    }
    ~ReadOnlyFolder() {
        SetImmutable(false);
        ::chmod(path_.c_str(), 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool Blocks() const { return blocks_; }

  private:
    void SetImmutable(bool on) {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }
    std::string path_;
    bool blocks_ = false;
};
