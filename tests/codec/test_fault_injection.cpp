// Files that are not whole scripts, and disks that fail during a save. A
// failed open gives the program's own message and changes nothing; a failed
// save leaves the target's earlier bytes, no temporary file, and the document
// as it was.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

namespace {

namespace fs = std::filesystem;
namespace layout = vellumark::layout;
namespace samples = vellumark::samples;
using vellumark::Ttombpcdat;
using bytes = std::vector<std::uint8_t>;

struct temp_folder {
    fs::path path;
    temp_folder() {
        std::string templ = (fs::temp_directory_path() / "vellumark-faults-XXXXXX").string();
        path = ::mkdtemp(templ.data()) ? templ : throw std::runtime_error("mkdtemp failed");
    }
    ~temp_folder() {
        std::error_code ec;
        fs::permissions(path / "locked.DAT", fs::perms::owner_all, ec);
        fs::remove_all(path, ec);
    }
    std::string file(const std::string& name, const bytes& content) const {
        fs::remove(path / name);  // a new file each time: rewriting one in place flushes it on every close
        samples::write_file((path / name).string(), content);
        return (path / name).string();
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path)) names.push_back(e.path().filename().string());
        return names;
    }
};

// The message of f, or "" when it went through.
template <class F> std::string message_of(F f) {
    try {
        f();
        return {};
    } catch (const vellumark::script_error& e) {
        return e.what();
    }
}

// ---- opening ----------------------------------------------------------------------

bool documented_open_message(const std::string& m) {
    static const std::regex known("Read beyond end of file|Range check error|List index out of bounds \\(\\d+\\)|"
                                  "Script sequence \\d+ has more than 64 commands|"
                                  ".* is \\d+ bytes long; a script is at most 4194304 bytes");
    return std::regex_match(m, known);
}

std::string parse_message(const bytes& file) { return message_of([&] { (void)vellumark::parse_script(file); }); }

// Opens path; returns the message (empty on success).
std::string open_message(const std::string& path) {
    return message_of([&] { (void)vellumark::load_script_file(path); });
}

bytes prefix(const bytes& file, std::size_t n) { return bytes(file.begin(), file.begin() + std::ptrdiff_t(n)); }

void put_u16(bytes& file, std::size_t at, std::uint16_t v) {
    file[at] = std::uint8_t(v);
    file[at + 1] = std::uint8_t(v >> 8);
}

// Where the demo level list and the count of game strings 1 start.
std::pair<std::size_t, std::size_t> demo_and_strings_at(const Ttombpcdat& doc) {
    std::size_t pos = layout::kHeaderSize;
    for (const auto* t : {&doc.level_names, &doc.pic_files, &doc.title_files, &doc.fmv_files, &doc.level_files,
                          &doc.cutscene_files})
        pos += 2 * t->offsets.size() + 2 + t->total_size;
    pos += 2 * (std::size_t(doc.level_count) + 1) + 2 + doc.script_size;
    return {pos, pos + 2 * doc.demo_levels.size()};
}

TEST(OpenFaults, EveryPrefixFailsAndChangesNothing) {
    // A real-size file cut at every length, opened from disk.
    const bytes real = samples::real_size_bytes();
    ASSERT_EQ(parse_message(real), "");
    temp_folder folder;
    for (std::size_t n = 0; n < real.size(); ++n)
        ASSERT_EQ(open_message(folder.file("cut.DAT", prefix(real, n))), "Read beyond end of file") << n << " bytes";

    // Small and all-byte files at every length; a near-limit file through the
    // header and first tables, a spread over the rest, and the last bytes.
    std::vector<bytes> files;
    for (int levels : {0, 1, 3})
        for (bool all_bytes : {false, true})
            files.push_back(samples::file_bytes(samples::make_document(11 + levels, levels, all_bytes)));
    files.push_back(samples::near_limit_bytes());
    for (const bytes& file : files) {
        ASSERT_EQ(parse_message(file), "");
        const bool near_limit = file.size() > 60000;
        for (std::size_t n = 0; n < file.size(); ++n) {
            if (near_limit && n >= 600 && n + 8 < file.size() && (n - 600) % 16411 != 0) continue;
            ASSERT_EQ(parse_message(prefix(file, n)), "Read beyond end of file") << file.size() << " cut to " << n;
        }
    }
}

TEST(OpenFaults, DamagedHeaderBytes) {
    const bytes file = samples::real_size_bytes();
    const Ttombpcdat doc = vellumark::parse_script(file);
    const auto [demo_at, strings_at] = demo_and_strings_at(doc);
    ASSERT_EQ(file[strings_at] | (file[strings_at + 1] << 8), doc.game_strings1_count);

    const auto damaged = [&file](std::size_t at, int value) {
        bytes b = file;
        b[at] = std::uint8_t(value);
        return parse_message(b);
    };
    // Every value of every byte of every count: a high byte of 0x80 and over
    // is negative; anything else parses or gives a documented message.
    for (std::size_t field : {layout::kLevelCount, layout::kPicCount, layout::kTitleCount, layout::kFmvCount,
                              layout::kCutsceneCount, layout::kDemoLevelCount, strings_at})
        for (std::size_t at : {field, field + 1})
            for (int value = 0; value < 256; ++value) {
                const std::string m = damaged(at, value);
                ASSERT_TRUE(at == field + 1 && value >= 0x80 ? m == "Range check error"
                                                             : m.empty() || documented_open_message(m))
                    << m << ", byte " << at << " = " << value;
            }
    // A few values of every byte of the header.
    for (std::size_t at = 0; at < layout::kHeaderSize; ++at)
        for (int value : {0x00, 0x7F, 0x80, 0xFF, file[at] ^ 0x01}) {
            const std::string m = damaged(at, value);
            ASSERT_TRUE(m.empty() || documented_open_message(m)) << m << ", byte " << at << " = " << value;
        }
}

TEST(OpenFaults, EachFailureGivesItsMessageAndChangesNothing) {
    temp_folder folder;
    bytes file;
    for (unsigned seed = 1; file.empty(); ++seed)  // a real-size document with demo levels
        if (const Ttombpcdat d = samples::make_document(seed, 20); !d.demo_levels.empty()) file = samples::file_bytes(d);
    const Ttombpcdat doc = vellumark::parse_script(file);
    const auto [demo_at, strings_at] = demo_and_strings_at(doc);

    bytes negative = file, negative_strings = file, demo = file, long_demo = file, endless = file;
    negative[layout::kLevelCount + 1] = 0x80;
    negative_strings[strings_at + 1] = 0xFF;
    put_u16(demo, demo_at, std::uint16_t(doc.level_count));
    put_u16(long_demo, layout::kDemoLevelCount, 30000);  // past the end of the file
    // Every "End of set" turned into command 0: the first sequence runs past 64.
    int commands = 0;
    for (const auto& slot : doc.scripts) commands += slot.command_count;
    ASSERT_GT(commands, 64);
    for (std::size_t at = demo_at - doc.script_size; at < demo_at;) {
        const std::uint16_t code = std::uint16_t(endless[at] | (endless[at + 1] << 8));
        if (code == vellumark::cmd::kEndOfSet) put_u16(endless, at, 0);
        at += vellumark::cmd::carries_operand(code) ? 4 : 2;
    }
    const std::string read_only = folder.file("readonly.DAT", file);
    fs::permissions(read_only, fs::perms::owner_read);

    const std::pair<std::string, std::string> cases[] = {
        {folder.path.string(), "File access denied"},
        {(folder.path / "missing.DAT").string(), "File not found"},
        {(folder.path / "no such folder/TOMBPC.DAT").string(), "Invalid filename"},
        {folder.file("empty.DAT", {}), "Read beyond end of file"},
        {read_only, ""},  // Open only reads
        {folder.file("negative.DAT", negative), "Range check error"},
        {folder.file("strings.DAT", negative_strings), "Range check error"},
        {folder.file("demo.DAT", demo), "List index out of bounds (" + std::to_string(doc.level_count) + ")"},
        {folder.file("longdemo.DAT", long_demo), "Read beyond end of file"},
        {folder.file("endless.DAT", endless), "Script sequence 0 has more than 64 commands"},
    };
    for (const auto& [path, message] : cases) EXPECT_EQ(open_message(path), message) << path;

    if (::geteuid() == 0) {
        std::printf("[ note     ] running as root: a file without read permission stays readable, not tested\n");
    } else {
        const std::string locked = folder.file("locked.DAT", file);
        fs::permissions(locked, fs::perms::none);
        EXPECT_EQ(open_message(locked), "File access denied");
    }
}

// Opens path allowed no further descriptor; exits 0 after printing the message.
[[noreturn]] void open_without_descriptors(const std::string& path) {
    const int lowest_free = ::dup(0);
    ::close(lowest_free);
    rlimit limit{}, none{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) std::_Exit(2);
    none = {rlim_t(lowest_free), limit.rlim_max};
    if (::setrlimit(RLIMIT_NOFILE, &none) != 0) std::_Exit(2);
    try {
        (void)vellumark::load_script_file(path);
    } catch (const vellumark::script_error& e) {
        ::setrlimit(RLIMIT_NOFILE, &limit);  // the sanitizers' checks need descriptors too
        std::fprintf(stderr, "[%s]", e.what());
        std::_Exit(0);
    }
    std::_Exit(1);
}

TEST(OpenFaults, TooManyOpenFiles) {
    temp_folder folder;
    const std::string path = folder.file("TOMBPC.DAT", samples::real_size_bytes());
    EXPECT_EXIT(open_without_descriptors(path), ::testing::ExitedWithCode(0), "^\\[Too many open files\\]$");
}

TEST(OpenFaults, HundredMegabytesOfGarbage) {
    temp_folder folder;
    bytes garbage(std::size_t{100} << 20);
    std::mt19937_64 random(20240611);
    for (std::size_t i = 0; i < garbage.size(); i += 8) {
        const std::uint64_t z = random();
        std::memcpy(&garbage[i], &z, 8);
    }
    for (const bool small_counts : {false, true}) {
        const char* variant = small_counts ? "random bytes with small header counts" : "random bytes";
        if (small_counts)
            for (std::size_t at = layout::kLevelCount; at < layout::kTitleSoundId; at += 2) garbage[at + 1] = 0;
        const std::string path = folder.file("garbage.DAT", garbage);
        const auto start = std::chrono::steady_clock::now();
        const std::string m = open_message(path);
        const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
        std::printf("[ timing   ] 100 MB of %s: \"%s\" after %.1f ms\n", variant, m.c_str(), ms.count());
        EXPECT_TRUE(documented_open_message(m)) << m;
    }
}

// ---- saving -----------------------------------------------------------------------

struct fault {
    const char* name;
    int error;  // errno of the failing write; 0: a short write, then ENOSPC
    const char* message;
};
const fault kFaults[] = {{"ENOSPC", ENOSPC, "Disk full"}, {"EIO", EIO, "I/O error 5"}, {"short write", 0, "Disk full"}};

// Passes writes through until write number fail_at (from 0), which fails as f
// says (a short write stores half its bytes); every later write fails too.
// Counts the writes in *calls; removed again when it goes out of scope.
struct failing_writes {
    failing_writes(int fail_at, fault f, int* calls = nullptr) {
        vellumark::set_write_hook([=, k = 0](int fd, const void* buf, std::size_t n) mutable -> ssize_t {
            if (calls) ++*calls;
            if (k++ < fail_at) return ::write(fd, buf, n);
            if (f.error == 0 && k == fail_at + 1) return n / 2 ? ::write(fd, buf, n / 2) : 0;
            errno = f.error ? f.error : ENOSPC;
            return -1;
        });
    }
    ~failing_writes() { vellumark::set_write_hook(nullptr); }
};

// The document of a file edited as a user would, in a state that a completed
// save normalises (a slot without "End of set", a flag bit the save drops).
struct edited_document {
    Ttombpcdat doc;
    explicit edited_document(const bytes& file) : doc(vellumark::parse_script(file)) {
        doc.first_option = 4242;
        doc.level_names.strings[0] = "Edited level";
        doc.flags ^= 0x0400 | 0x0800;
        doc.scripts[1].command_count = 1;
    }
};

// Fails every write of atomic_write_file with the finished image; fails the
// whole save (build, write, hand the record back) at the first, a middle and
// the last write; fails a save under a new name at its first write.
void fail_every_write(const bytes& file, fault f) {
    SCOPED_TRACE(f.name);
    temp_folder folder;
    const std::string target = (folder.path / "TOMBPC.DAT").string(), probe = (folder.path / "NEW.DAT").string();
    const bytes before = samples::file_bytes(samples::make_document(99, 3));
    samples::write_file(target, before);
    const edited_document original(file);

    // How many writes a complete save makes, and what it writes.
    int writes = 0;
    edited_document work = original;
    {
        failing_writes hook(1 << 30, f, &writes);
        vellumark::save_script_file(probe, work.doc);
    }
    EXPECT_NE(work.doc, original.doc) << "a completed save normalises the record";
    const bytes saved = samples::read_file(probe);
    fs::remove(probe);
    ASSERT_EQ(writes, int((saved.size() + vellumark::kWriteChunk - 1) / vellumark::kWriteChunk));

    const auto expect_clean_failure = [&](const std::string& message) {
        EXPECT_EQ(message, f.message);
        EXPECT_EQ(samples::read_file(target), before);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"TOMBPC.DAT"});
    };
    for (int k = 0; k < writes && !::testing::Test::HasFailure(); ++k) {
        SCOPED_TRACE("failing write " + std::to_string(k) + " of " + std::to_string(writes));
        failing_writes hook(k, f);
        expect_clean_failure(message_of([&] { vellumark::atomic_write_file(target, saved); }));
    }
    for (int k : {0, writes / 2, writes - 1}) {
        SCOPED_TRACE("failing write " + std::to_string(k) + " of a whole save");
        work = original;
        failing_writes hook(k, f);
        expect_clean_failure(message_of([&] { vellumark::save_script_file(target, work.doc); }));
        EXPECT_EQ(work.doc, original.doc);
    }
    {
        work = original;
        failing_writes hook(0, f);
        expect_clean_failure(message_of([&] { vellumark::save_script_file(probe, work.doc); }));
        EXPECT_EQ(work.doc, original.doc);
    }
    // Without faults the same save goes through.
    work = original;
    vellumark::save_script_file(target, work.doc);
    EXPECT_EQ(samples::read_file(target), saved);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"TOMBPC.DAT"});
}

TEST(SaveFaults, EveryWriteOfARealSizeAndANearLimitScriptFailsCleanly) {
    const bytes near_limit = samples::near_limit_bytes();
    ASSERT_GT(near_limit.size(), 16 * vellumark::kWriteChunk);
    for (const bytes& file : {samples::real_size_bytes(), near_limit})
        for (const fault& f : kFaults) fail_every_write(file, f);
}

// ---- save targets -----------------------------------------------------------------

// Every entry of a folder as lstat sees it, with the bytes of regular files.
struct entry {
    struct stat st {};
    bytes content;
};
using folder_state = std::map<std::string, entry>;

folder_state state_of(const fs::path& dir) {
    folder_state state;
    for (const auto& e : fs::directory_iterator(dir)) {
        entry& x = state[e.path().filename().string()];
        ::lstat(e.path().c_str(), &x.st);
        if (S_ISREG(x.st.st_mode)) x.content = samples::read_file(e.path().string());
    }
    return state;
}

// What changed in a folder: "; ENTRY: created, new bytes, replaced, ..." for
// each changed entry (the name saved to shown as NAME), or "; nothing changed".
std::string changes(const folder_state& before, const folder_state& after, const bytes& image,
                    const std::string& name) {
    std::string out;
    for (const auto& [n, a] : after) {
        const auto was = before.find(n);
        const entry* b = was == before.end() ? nullptr : &was->second;
        std::vector<std::string> what;
        if (!b) what.push_back("created");
        if (S_ISREG(a.st.st_mode) && (!b || a.content != b->content))
            what.push_back(a.content == image ? "new bytes" : "other bytes");
        if (b && a.st.st_ino != b->st.st_ino) what.push_back("replaced");
        if (b && a.st.st_mode != b->st.st_mode)
            what.push_back((a.st.st_mode ^ b->st.st_mode) & S_IFMT ? "type" : "mode");
        if (b && (a.st.st_uid != b->st.st_uid || a.st.st_gid != b->st.st_gid)) what.push_back("owner");
        for (std::size_t i = 0; i < what.size(); ++i)
            out += (i ? ", " : "; " + (n == name ? std::string("NAME") : n) + ": ") + what[i];
    }
    for (const auto& [n, b] : before)
        if (!after.count(n)) out += "; " + n + ": removed";
    return out.empty() ? "; nothing changed" : out;
}

constexpr uid_t kNobody = 65534;

// A node of the given type and permissions in dir, owned by owner and its
// group; a regular file holds "old". "" when this process cannot make it.
std::string node(const fs::path& dir, uid_t owner, mode_t mode, const std::string& name = "TOMBPC.DAT") {
    const fs::path p = dir / name;
    if (S_ISREG(mode))
        samples::write_file(p.string(), {'o', 'l', 'd'});
    else if (::mknod(p.c_str(), mode, makedev(1, 3)) != 0)
        return "";
    return ::chown(p.c_str(), owner, owner) == 0 && ::chmod(p.c_str(), mode & 07777) == 0 ? p.string() : "";
}

std::string link_to(const fs::path& dir, uid_t owner, const char* to) {
    const fs::path p = dir / "TOMBPC.DAT";
    return ::symlink(to, p.c_str()) == 0 && ::lchown(p.c_str(), owner, owner) == 0 ? p.string() : "";
}

struct target_case {
    const char* kind;
    // Makes the target in dir for a save by saver; returns the name to save to.
    std::string (*make)(const fs::path& dir, uid_t saver);
    const char* as_root;            // the message or "saved", then the changes
    const char* as_user = nullptr;  // when it differs
    bool failing_write = false;     // the second write fails with EIO
};

std::string linked_file(const fs::path& d, uid_t u) {
    const std::string name = node(d, u, S_IFREG | 0644);
    return !name.empty() && ::link(name.c_str(), (d / "OTHER.DAT").c_str()) == 0 ? name : "";
}

const char* const kNotRegular = "Cannot write \"NAME\": it is not a regular file; nothing changed";
const char* const kInPlace = "saved; OTHER.DAT: new bytes; NAME: new bytes";

const target_case kTargets[] = {
    {"read-only file (0444)", [](const fs::path& d, uid_t u) { return node(d, u, S_IFREG | 0444); },
     "saved; NAME: new bytes, replaced", "File access denied; nothing changed"},
    {"another user's file (0644)", [](const fs::path& d, uid_t u) { return node(d, u ? 0 : kNobody, S_IFREG | 0644); },
     "saved; NAME: new bytes, replaced", "File access denied; nothing changed"},
    {"another user's writable file (0666)",
     [](const fs::path& d, uid_t u) { return node(d, u ? 0 : kNobody, S_IFREG | 0666); },
     "saved; NAME: new bytes, replaced", "saved; NAME: new bytes"},
    {"FIFO", [](const fs::path& d, uid_t u) { return node(d, u, S_IFIFO | 0666); }, kNotRegular},
    {"character device", [](const fs::path& d, uid_t u) { return node(d, u, S_IFCHR | 0666); }, kNotRegular},
    {"socket", [](const fs::path& d, uid_t u) { return node(d, u, S_IFSOCK | 0666); }, kNotRegular},
    {"file with a second name", linked_file, kInPlace},
    {"file with a second name, a write failing", linked_file,
     "I/O error 5 while writing \"NAME\"; the file may be incomplete; OTHER.DAT: other bytes; NAME: other bytes",
     nullptr, true},
    {"dangling symbolic link", [](const fs::path& d, uid_t u) { return link_to(d, u, "TARGET.DAT"); },
     "saved; TARGET.DAT: created, new bytes"},
    {"symbolic link loop",
     [](const fs::path& d, uid_t u) {
         return ::symlink("TOMBPC.DAT", (d / "LOOP.DAT").c_str()) == 0 ? link_to(d, u, "LOOP.DAT") : "";
     },
     "Cannot write \"NAME\": its symbolic links go round in a loop; nothing changed"},
    {"writable file in a read-only folder",
     [](const fs::path& d, uid_t u) {
         const std::string name = node(d, u, S_IFREG | 0644);
         return ::chmod(d.c_str(), 0555) == 0 ? name : "";
     },
     "saved; NAME: new bytes, replaced", "saved; NAME: new bytes"},
    {"name of 255 bytes",
     [](const fs::path& d, uid_t u) {
         std::string name;
         for (int i = 0; i < 83; ++i) name += "\u4e2d";  // three bytes each
         return node(d, u, S_IFREG | 0644, name + "ab.dat");
     },
     "saved; NAME: new bytes, replaced"},
};

// Makes every target for a save by saver, each in its own folder under root;
// the names, "" for those this process cannot make.
std::vector<std::string> make_targets(const fs::path& root, uid_t saver) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < std::size(kTargets); ++i) {
        const fs::path dir = root / std::to_string(i);
        fs::create_directory(dir);
        fs::permissions(dir, fs::perms::all);
        names.push_back(kTargets[i].make(dir, saver));
        if (names.back().empty())
            std::printf("[ skipped  ] %s: uid %d cannot make it\n", kTargets[i].kind, int(::geteuid()));
    }
    return names;
}

// Saves an edited document onto every target made; returns the cases whose
// outcome (the message or "saved", then the changes in the case's folder) is
// not the one expected, one line each.
std::string unexpected_outcomes(const fs::path& root, const std::vector<std::string>& names, bool as_root) {
    const edited_document original(samples::real_size_bytes());
    edited_document probe = original;
    const bytes image = vellumark::write_script_file(probe.doc);
    std::string report;
    for (std::size_t i = 0; i < std::size(kTargets); ++i) {
        const target_case& c = kTargets[i];
        if (names[i].empty()) continue;
        const fs::path dir = root / std::to_string(i);
        const folder_state before = state_of(dir);
        edited_document work = original;
        std::string m;
        {
            std::optional<failing_writes> hook;
            if (c.failing_write) hook.emplace(1, fault{"EIO", EIO, ""});
            m = message_of([&] { vellumark::save_script_file(names[i], work.doc); });
        }
        for (std::size_t at; (at = m.find(names[i])) != std::string::npos;) m.replace(at, names[i].size(), "NAME");
        const std::string outcome =
            (m.empty() ? "saved" : m) + changes(before, state_of(dir), image, fs::path(names[i]).filename().string());
        const std::string expected = as_root || !c.as_user ? c.as_root : c.as_user;
        if (outcome != expected) report += std::string(c.kind) + ": " + outcome + "\n  expected: " + expected + "\n";
    }
    return report;
}

// In a child that became uid and gid 65534: exits 0 when every outcome is as
// expected, else 1 with the report on standard error.
[[noreturn]] void save_as_nobody(const fs::path& root, const std::vector<std::string>& names) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) std::_Exit(2);
    const std::string report = unexpected_outcomes(root, names, false);
    std::fputs(report.c_str(), stderr);
    std::_Exit(report.empty() ? 0 : 1);
}

TEST(SaveTargets, NothingProtectedIsReplacedNoLinkBreaks) {
    temp_folder folder;
    fs::permissions(folder.path, fs::perms::all);  // the unprivileged child reaches its folders
    const fs::path as_root = folder.path / "root", as_user = folder.path / "user";
    fs::create_directory(as_root);
    fs::create_directory(as_user);
    if (::geteuid() == 0) {
        EXPECT_EQ(unexpected_outcomes(as_root, make_targets(as_root, 0), true), "");
        // Root may write any file: the permission cases need another user.
        const std::vector<std::string> names = make_targets(as_user, kNobody);
        EXPECT_EXIT(save_as_nobody(as_user, names), ::testing::ExitedWithCode(0), "");
    } else {
        std::printf("[ skipped  ] saves as root: running as uid %d\n", int(::geteuid()));
        EXPECT_EQ(unexpected_outcomes(as_user, make_targets(as_user, ::geteuid()), false), "");
    }
    std::error_code ec;  // the link loop cannot be followed
    for (const auto& e : fs::recursive_directory_iterator(folder.path))
        if (e.is_directory(ec)) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
}

}  // namespace
