#pragma once
// Internal to the platform layer: an owned file descriptor of the copy.

#include <cerrno>

#include <unistd.h>

namespace FileSystem {

class FdGuard {
public:
    explicit FdGuard(int fd = -1) : fd_(fd) {}
    ~FdGuard() { Drop(); }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        Drop();
        fd_ = fd;
    }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now and reports the close error (a network file system reports write errors here).
    int Close() {
        if (fd_ < 0) return 0;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    // Closes where nothing was written that a close error could have lost.
    void Drop() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd_;
};

}  // namespace FileSystem
