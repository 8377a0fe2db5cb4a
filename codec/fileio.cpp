#include "codec/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "codec/errors.h"

namespace vellumark {

namespace {

// The most symbolic links followed in a row, as the kernel follows.
constexpr int kMostLinks = 40;
// The longest file name a folder takes.
constexpr std::size_t kNameMax = NAME_MAX;

write_hook& hook() {
    static write_hook h;
    return h;
}

ssize_t do_write(int fd, const void* buf, std::size_t n) {
    if (hook()) return hook()(fd, buf, n);
    return ::write(fd, buf, n);
}

struct fd_closer {
    int fd = -1;
    ~fd_closer() {
        if (fd >= 0) ::close(fd);
    }
    // Closes now; a failed close is a failed write.
    void close() {
        const int f = fd;
        fd = -1;
        if (::close(f) != 0) throw_errno(errno);
    }
};

// Removes the temporary file unless the write completed.
struct temp_file {
    std::string path;
    fd_closer file;
    bool keep = false;
    ~temp_file() { discard(); }
    void discard() {
        if (file.fd >= 0) ::close(file.fd);
        file.fd = -1;
        if (!keep && !path.empty()) ::unlink(path.c_str());
        path.clear();
    }
};

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

[[noreturn]] void not_regular(const std::string& path) {
    throw script_error("Cannot write " + quoted(path) + ": it is not a regular file");
}

[[noreturn]] void link_loop(const std::string& path) {
    throw script_error("Cannot write " + quoted(path) + ": its symbolic links go round in a loop");
}

void write_all(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t n = std::min(kWriteChunk, bytes.size() - done);
        const ssize_t r = do_write(fd, bytes.data() + done, n);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw_errno(errno);
        }
        // A short write means the device took no more.
        if (static_cast<std::size_t>(r) != n) throw_io_error(kErrDiskFull);
        done += n;
    }
}

// Where the bytes really go: symbolic links are followed one at a time, so
// that a link stays a link and a dangling one leads to the name it points at.
std::string resolve_target(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(at.c_str(), to.data(), to.size());
        if (n < 0) throw_errno(errno);
        to.resize(static_cast<std::size_t>(n));
        at = !to.empty() && to[0] == '/' ? to : (std::filesystem::path(at).parent_path() / to).string();
    }
    link_loop(path);
}

mode_t default_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// ".NAME.XXXXXX" in dir, NAME cut short (not inside a UTF-8 character) so
// that the temporary name fits however long the target's name is.
std::string temp_template(const std::filesystem::path& dir, std::string name) {
    const std::size_t room = kNameMax - std::string_view("..XXXXXX").size();
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return (dir / ("." + name + ".XXXXXX")).string();
}

// Gives the replacement the target's owner and group; false when the process
// may not.
bool take_owner(int fd, const struct stat& target) {
    struct stat mine {};
    if (::fstat(fd, &mine) != 0) return false;
    if (mine.st_uid == target.st_uid && mine.st_gid == target.st_gid) return true;
    return ::fchown(fd, target.st_uid, target.st_gid) == 0;
}

// Rewrites the existing regular file target in place: every name of it sees
// the new bytes, and its owner, group and permissions stay.
void write_in_place(const std::string& path, const std::string& target, std::span<const std::uint8_t> bytes) {
    fd_closer file{::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW)};
    if (file.fd < 0) {
        if (errno == ELOOP) link_loop(path);
        throw_errno(errno);
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) throw_errno(errno);
    if (!S_ISREG(st.st_mode)) not_regular(path);

    // Reserve the space first: a full disk is found while nothing has changed.
    const off_t size = static_cast<off_t>(bytes.size());
    if (size > st.st_size) {
        const int err = ::posix_fallocate(file.fd, 0, size);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
            // Give back what was reserved; the bytes themselves are as they were.
            struct stat now {};
            if (::fstat(file.fd, &now) == 0 && now.st_size != st.st_size)
                static_cast<void>(::ftruncate(file.fd, st.st_size) == 0);
            throw_errno(err);
        }
    }

    try {
        write_all(file.fd, bytes);
        if (::ftruncate(file.fd, size) != 0) throw_errno(errno);
        if (::fsync(file.fd) != 0) throw_errno(errno);
        file.close();
    } catch (const script_error& e) {
        throw script_error(std::string(e.what()) + " while writing " + quoted(path) +
                           "; the file may be incomplete");
    }
}

}  // namespace

// ---- reading ---------------------------------------------------------------

namespace {

// ENOENT means a missing file, or a missing folder on the path.
[[noreturn]] void throw_open_error(const std::string& path, int err) {
    if (err == ENOENT) {
        const auto parent = std::filesystem::path(path).parent_path();
        std::error_code ec;
        if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) throw_io_error(kErrInvalidFilename);
    }
    throw_errno(err);
}

[[noreturn]] void not_regular_to_read(const std::string& path) {
    throw script_error("Cannot open " + quoted(path) + ": it is not a regular file");
}

[[noreturn]] void too_large(const std::string& path, std::string_view what, std::size_t most,
                            std::optional<std::uint64_t> size) {
    std::string message = path + (size ? " is " + std::to_string(*size) + " bytes long; "
                                       : " is longer than " + std::to_string(most) + " bytes; ");
    message.append(what).append(" is at most ").append(std::to_string(most)).append(" bytes");
    throw script_error(message);
}

}  // namespace

std::vector<std::uint8_t> read_file_bytes(const std::string& path, std::size_t most, std::string_view what) {
    if (path.empty()) throw_io_error(kErrFileNotFound);
    // Only a regular file is read: a FIFO or a device could keep the open or
    // the reads waiting for ever. The open itself does not wait, in case the
    // name was changed into one meanwhile.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) not_regular_to_read(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throw_open_error(path, errno);
    fd_closer closer{fd};

    if (::fstat(fd, &st) != 0) throw_errno(errno);
    if (S_ISDIR(st.st_mode)) throw_io_error(kErrAccessDenied);
    if (!S_ISREG(st.st_mode)) not_regular_to_read(path);
    // Refused before a byte is read.
    if (static_cast<std::uint64_t>(st.st_size) > most) too_large(path, what, most, std::uint64_t(st.st_size));

    // One byte past the limit tells a file that grew while it was read.
    std::vector<std::uint8_t> bytes = read_at_most(fd, most, static_cast<std::size_t>(st.st_size));
    if (bytes.size() > most) too_large(path, what, most, std::nullopt);
    return bytes;
}

std::vector<std::uint8_t> read_at_most(int fd, std::size_t most, std::size_t expected) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::min(expected, most + 1));
    std::uint8_t buf[65536];
    while (bytes.size() <= most) {
        const std::size_t want = std::min(sizeof buf, most + 1 - bytes.size());
        const ssize_t r = ::read(fd, buf, want);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw_errno(errno);
        }
        if (r == 0) break;
        bytes.insert(bytes.end(), buf, buf + r);
    }
    return bytes;
}

// ---- writing ---------------------------------------------------------------

void set_write_hook(write_hook h) { hook() = std::move(h); }

std::string backup_name(const std::string& path) {
    std::string name = path;
    name += ".bak";
    return name;
}

namespace {

// The largest file kept as a backup: far more than any script.
constexpr std::size_t kMostBackupBytes = std::size_t(1) << 30;

// Keeps the bytes of target, the regular file that path names, as path's
// backup.
void keep_backup(const std::string& path, const std::string& target) {
    const std::string bak = backup_name(path);
    try {
        const std::vector<std::uint8_t> previous = read_file_bytes(target, kMostBackupBytes, "a file kept as a backup");
        atomic_write_file(bak, previous);
    } catch (const script_error& e) {
        std::string m = quoted(path);
        m += " was not saved: its backup ";
        m += quoted(bak);
        m += " could not be written: ";
        m += e.what();
        throw script_error(m);
    }
}

}  // namespace

void atomic_write_file(const std::string& path, std::span<const std::uint8_t> bytes, backup_rule backup) {
    if (path.empty()) throw_io_error(kErrInvalidFilename);
    const std::string target = resolve_target(path);

    struct stat st {};
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (!exists) {
        const int err = errno;
        if (err == ELOOP) link_loop(path);
        if (err != ENOENT) throw_errno(err);
    } else {
        if (S_ISDIR(st.st_mode)) throw_io_error(kErrAccessDenied);
        if (!S_ISREG(st.st_mode)) not_regular(path);
        // Permission as the kernel sees it for this process: root may write a
        // read-only file, another user's file is refused.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) throw_errno(errno);
        if (backup == backup_rule::keep) keep_backup(path, target);
        // A replacement would leave the other names with the old content.
        if (st.st_nlink > 1) return write_in_place(path, target, bytes);
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : default_mode();

    const std::filesystem::path p(target);
    const std::filesystem::path dir = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
    const std::string templ = temp_template(dir, p.filename().string());
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');

    temp_file tmp;
    tmp.file.fd = ::mkstemp(name.data());
    if (tmp.file.fd < 0) {
        const int err = errno;
        // A folder that may not be written: the file itself may.
        if (exists && (err == EACCES || err == EPERM)) return write_in_place(path, target, bytes);
        if (err == ENOENT || err == ENOTDIR) throw_io_error(kErrInvalidFilename);
        throw_errno(err);
    }
    tmp.path = name.data();
    ::fcntl(tmp.file.fd, F_SETFD, FD_CLOEXEC);
    // A replacement owned by someone else could lock the owner out.
    if (exists && !take_owner(tmp.file.fd, st)) {
        tmp.discard();
        return write_in_place(path, target, bytes);
    }

    write_all(tmp.file.fd, bytes);
    // After the owner: a change of owner drops the set-user-ID bits.
    if (::fchmod(tmp.file.fd, mode) != 0) throw_errno(errno);
    if (::fsync(tmp.file.fd) != 0) throw_errno(errno);
    tmp.file.close();
    if (::rename(tmp.path.c_str(), target.c_str()) != 0) throw_errno(errno);
    tmp.keep = true;

    // Make the rename itself durable; a failure here changes nothing.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

void write_output_file(const std::string& path, std::span<const std::uint8_t> bytes, backup_rule backup) {
    struct stat st {};
    if (!path.empty() && ::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        fd_closer out{::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY)};
        if (out.fd < 0) throw_errno(errno);
        if (::fstat(out.fd, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
            write_all(out.fd, bytes);
            out.close();
            return;
        }
        // Replaced by something else meanwhile: saved as any file is.
    }
    atomic_write_file(path, bytes, backup);
}

}  // namespace vellumark
