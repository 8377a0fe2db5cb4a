#include "codec/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "codec/errors.h"

namespace vellumark {

namespace {

write_hook& hook() {
    static write_hook h;
    return h;
}

ssize_t do_write(int fd, const void* buf, std::size_t n) {
    if (hook()) return hook()(fd, buf, n);
    return ::write(fd, buf, n);
}

// Removes the temporary file unless the write completed.
struct temp_file {
    std::string path;
    int fd = -1;
    bool keep = false;
    ~temp_file() {
        if (fd >= 0) ::close(fd);
        if (!keep && !path.empty()) ::unlink(path.c_str());
    }
};

// Where the bytes really go: a symbolic link is followed, so that the link
// stays and its target is replaced.
std::string resolve_target(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buf[PATH_MAX];
        if (::realpath(path.c_str(), buf)) return buf;
    }
    return path;
}

mode_t default_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

void set_write_hook(write_hook h) { hook() = std::move(h); }

void atomic_write_file(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty()) throw_io_error(kErrInvalidFilename);
    const std::string target = resolve_target(path);

    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) throw_io_error(kErrAccessDenied);
    const mode_t mode = exists ? (st.st_mode & 07777) : default_mode();

    const std::filesystem::path p(target);
    const std::filesystem::path dir = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
    std::string hidden(".");
    hidden.append(p.filename().string()).append(".XXXXXX");
    const std::string templ = (dir / hidden).string();
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');

    temp_file tmp;
    tmp.fd = ::mkstemp(name.data());
    if (tmp.fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) throw_io_error(kErrInvalidFilename);
        throw_errno(err);
    }
    tmp.path = name.data();
    ::fcntl(tmp.fd, F_SETFD, FD_CLOEXEC);

    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t n = std::min(kWriteChunk, bytes.size() - done);
        const ssize_t r = do_write(tmp.fd, bytes.data() + done, n);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw_errno(errno);
        }
        // A short write means the device took no more.
        if (static_cast<std::size_t>(r) != n) throw_io_error(kErrDiskFull);
        done += n;
    }
    if (::fchmod(tmp.fd, mode) != 0) throw_errno(errno);
    if (::fsync(tmp.fd) != 0) throw_errno(errno);
    const int fd = tmp.fd;
    tmp.fd = -1;
    if (::close(fd) != 0) throw_errno(errno);
    if (::rename(tmp.path.c_str(), target.c_str()) != 0) throw_errno(errno);
    tmp.keep = true;

    // Make the rename itself durable; a failure here changes nothing.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

}  // namespace vellumark
