// Opening files that are not whole scripts: cut-off files, damaged header
// counts, folders, missing and unreadable files, empty files and a very large
// file of garbage. Each fails with the program's own message and leaves the
// document and the views exactly as they were.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

namespace {

namespace fs = std::filesystem;
namespace layout = vellumark::layout;
namespace samples = vellumark::samples;
using vellumark::Ttombpcdat;
using bytes = std::vector<std::uint8_t>;

class temp_folder {
public:
    temp_folder() {
        std::string templ = (fs::temp_directory_path() / "vellumark-open-XXXXXX").string();
        if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~temp_folder() {
        std::error_code ec;
        fs::permissions(path_ / "locked.DAT", fs::perms::owner_all, ec);
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The messages an open may give for a damaged file.
bool documented_open_message(const std::string& m) {
    static const std::regex known(
        "Read beyond end of file|Range check error|List index out of bounds \\(\\d+\\)|"
        "Script sequence \\d+ has more than 64 commands");
    return std::regex_match(m, known);
}

// What parsing gives: empty when the file parsed, else the message.
std::string parse_message(const bytes& file) {
    try {
        (void)vellumark::parse_script(file);
        return {};
    } catch (const vellumark::script_error& e) {
        return e.what();
    }
}

// A document and views that hold something else: the state a failed open must
// leave alone, with Memo12 and the transcript holding an earlier load's lines.
struct open_state {
    Ttombpcdat doc;
    vellumark::memory_views views;

    open_state() {
        doc = samples::make_document(7, 4);
        views = samples::views_of(doc);
        views.spins[3] = -17;
        views.lists[8].push_back("typed but not saved");
        views.selected_slot = 2;
    }
};

void expect_same(const open_state& a, const open_state& b) {
    EXPECT_EQ(a.doc, b.doc);
    EXPECT_EQ(a.views.lists, b.views.lists);
    EXPECT_EQ(a.views.memos, b.views.memos);
    EXPECT_EQ(a.views.spins, b.views.spins);
    EXPECT_EQ(a.views.checks, b.views.checks);
    EXPECT_EQ(a.views.memo12, b.views.memo12);
    EXPECT_EQ(a.views.transcript, b.views.transcript);
    EXPECT_EQ(a.views.selected_slot, b.views.selected_slot);
}

// Opens path into an open_state; returns the message (empty when the open
// succeeded) and checks that a failed open changed nothing.
std::string open_message(const std::string& path) {
    static const open_state before;
    open_state state = before;
    try {
        vellumark::load_script_file(path, state.doc, state.views);
        return {};
    } catch (const vellumark::script_error& e) {
        expect_same(state, before);
        return e.what();
    }
}

// Byte size of a string table as it stands in the file.
std::size_t table_bytes(const vellumark::list_strings& t) { return 2 * t.offsets.size() + 2 + t.total_size; }

// Where the demo level list and the count of game strings 1 start.
struct file_positions {
    std::size_t demo_levels = 0;
    std::size_t game_strings1_count = 0;
};

file_positions positions_of(const Ttombpcdat& doc) {
    std::size_t pos = layout::kHeaderSize;
    for (const auto* t : {&doc.level_names, &doc.pic_files, &doc.title_files, &doc.fmv_files, &doc.level_files,
                          &doc.cutscene_files})
        pos += table_bytes(*t);
    pos += 2 * (static_cast<std::size_t>(doc.level_count) + 1) + 2 + doc.script_size;
    return {pos, pos + 2 * doc.demo_levels.size()};
}

void put_u16(bytes& file, std::size_t at, std::uint16_t v) {
    file[at] = static_cast<std::uint8_t>(v);
    file[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// ---- cut-off files ---------------------------------------------------------------

TEST(OpenFaults, EveryPrefixOfARealSizeFileFailsAndChangesNothing) {
    const bytes file = samples::real_size_bytes();
    ASSERT_EQ(parse_message(file), "");
    temp_folder folder;
    const std::string path = folder.file("cut.DAT");
    for (std::size_t n = 0; n < file.size(); ++n) {
        // A new file each time: rewriting one in place makes the file system
        // flush it on every close.
        fs::remove(path);
        samples::write_file(path, bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
        ASSERT_EQ(open_message(path), "Read beyond end of file") << "prefix of " << n << " bytes";
    }
}

TEST(OpenFaults, EveryPrefixOfSmallAndAllByteFilesFails) {
    for (int levels : {0, 1, 3}) {
        for (bool all_bytes : {false, true}) {
            const bytes file = samples::file_bytes(samples::make_document(11 + levels, levels, all_bytes));
            ASSERT_EQ(parse_message(file), "");
            for (std::size_t n = 0; n < file.size(); ++n)
                ASSERT_EQ(parse_message(bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n))),
                          "Read beyond end of file")
                    << levels << " levels, prefix of " << n << " bytes";
        }
    }
}

TEST(OpenFaults, PrefixesOfANearLimitFileFail) {
    const bytes file = samples::near_limit_bytes();
    ASSERT_EQ(parse_message(file), "");
    // Every length through the header and the first tables, a spread of
    // lengths over the rest, and the last few.
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n < 600; ++n) lengths.push_back(n);
    for (std::size_t n = 600; n < file.size(); n += 16411) lengths.push_back(n);
    for (std::size_t n = file.size() - 8; n < file.size(); ++n) lengths.push_back(n);
    for (std::size_t n : lengths)
        ASSERT_EQ(parse_message(bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n))),
                  "Read beyond end of file")
            << "prefix of " << n << " bytes";
}

// ---- damaged headers -------------------------------------------------------------

TEST(OpenFaults, EveryValueOfEveryHeaderCountByte) {
    const bytes file = samples::real_size_bytes();
    const Ttombpcdat doc = vellumark::parse_script(file);
    const file_positions pos = positions_of(doc);
    ASSERT_EQ(file[pos.game_strings1_count] | (file[pos.game_strings1_count + 1] << 8), doc.game_strings1_count);

    std::vector<std::size_t> counts = {layout::kLevelCount, layout::kPicCount, layout::kTitleCount,
                                       layout::kFmvCount,   layout::kCutsceneCount, layout::kDemoLevelCount,
                                       pos.game_strings1_count};
    int parsed = 0;
    for (std::size_t field : counts) {
        for (std::size_t at : {field, field + 1}) {
            for (int value = 0; value < 256; ++value) {
                bytes damaged = file;
                damaged[at] = static_cast<std::uint8_t>(value);
                const std::string m = parse_message(damaged);
                if (at == field + 1 && value >= 0x80)
                    ASSERT_EQ(m, "Range check error") << "byte " << at << " = " << value;
                else if (m.empty())
                    ++parsed;
                else
                    ASSERT_TRUE(documented_open_message(m)) << m << ", byte " << at << " = " << value;
            }
        }
    }
    EXPECT_GT(parsed, 0);  // at least the unchanged values
}

TEST(OpenFaults, EverySingleByteChangeOfTheHeader) {
    const bytes file = samples::real_size_bytes();
    for (std::size_t at = 0; at < layout::kHeaderSize; ++at) {
        for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0x80}, std::uint8_t{0xFF},
                                   static_cast<std::uint8_t>(file[at] ^ 0x01)}) {
            bytes damaged = file;
            damaged[at] = value;
            const std::string m = parse_message(damaged);
            ASSERT_TRUE(m.empty() || documented_open_message(m)) << m << ", byte " << at << " = " << int(value);
        }
    }
}

// A real-size file with demo levels.
bytes file_with_demo_levels() {
    for (unsigned seed = 1;; ++seed) {
        const Ttombpcdat doc = samples::make_document(seed, 20);
        if (!doc.demo_levels.empty()) return samples::file_bytes(doc);
    }
}

TEST(OpenFaults, RangeAndIndexFailuresChangeNothing) {
    temp_folder folder;
    const bytes file = file_with_demo_levels();
    const Ttombpcdat doc = vellumark::parse_script(file);
    const file_positions pos = positions_of(doc);

    bytes negative = file;
    negative[layout::kLevelCount + 1] = 0x80;
    samples::write_file(folder.file("negative.DAT"), negative);
    EXPECT_EQ(open_message(folder.file("negative.DAT")), "Range check error");

    bytes negative_strings = file;
    negative_strings[pos.game_strings1_count + 1] = 0xFF;
    samples::write_file(folder.file("negative_strings.DAT"), negative_strings);
    EXPECT_EQ(open_message(folder.file("negative_strings.DAT")), "Range check error");

    ASSERT_FALSE(doc.demo_levels.empty());
    bytes demo = file;
    put_u16(demo, pos.demo_levels, static_cast<std::uint16_t>(doc.level_count));
    samples::write_file(folder.file("demo.DAT"), demo);
    EXPECT_EQ(open_message(folder.file("demo.DAT")),
              "List index out of bounds (" + std::to_string(doc.level_count) + ")");

    // Every "End of set" of the sequence block turned into command 0: the
    // first sequence runs on past 64 commands.
    int commands = 0;
    for (const auto& slot : doc.scripts) commands += slot.command_count;
    ASSERT_GT(commands, 64);
    bytes endless = file;
    std::size_t at = pos.demo_levels - doc.script_size;
    while (at < pos.demo_levels) {
        const std::uint16_t code = static_cast<std::uint16_t>(endless[at] | (endless[at + 1] << 8));
        if (code == layout::kEndOfSet) put_u16(endless, at, 0);
        at += layout::carries_operand(code) ? 4 : 2;
    }
    samples::write_file(folder.file("endless.DAT"), endless);
    EXPECT_EQ(open_message(folder.file("endless.DAT")), "Script sequence 0 has more than 64 commands");
}

// ---- files that cannot be read ----------------------------------------------------

TEST(OpenFaults, FoldersMissingEmptyAndUnreadableFiles) {
    temp_folder folder;
    EXPECT_EQ(open_message(folder.path().string()), "File access denied");
    EXPECT_EQ(open_message(folder.file("missing.DAT")), "File not found");
    EXPECT_EQ(open_message(folder.file("no such folder/TOMBPC.DAT")), "Invalid filename");

    samples::write_file(folder.file("empty.DAT"), {});
    EXPECT_EQ(open_message(folder.file("empty.DAT")), "Read beyond end of file");

    // A read-only file opens: Open only reads.
    const std::string read_only = folder.file("readonly.DAT");
    samples::write_file(read_only, samples::real_size_bytes());
    fs::permissions(read_only, fs::perms::owner_read);
    EXPECT_EQ(open_message(read_only), "");

    if (::geteuid() == 0) {
        std::printf("[ note     ] running as root: a file without read permission stays readable, not tested\n");
    } else {
        const std::string locked = folder.file("locked.DAT");
        samples::write_file(locked, samples::real_size_bytes());
        fs::permissions(locked, fs::perms::none);
        EXPECT_EQ(open_message(locked), "File access denied");
    }
}

TEST(OpenFaults, TooManyOpenFiles) {
    temp_folder folder;
    const std::string path = folder.file("TOMBPC.DAT");
    samples::write_file(path, samples::real_size_bytes());
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Allow no further descriptor: the open must fail, not crash.
        ::close(pipe_fds[0]);
        const int lowest_free = ::dup(0);
        ::close(lowest_free);
        const rlimit none{static_cast<rlim_t>(lowest_free), static_cast<rlim_t>(lowest_free)};
        std::string m = "opened";
        if (::setrlimit(RLIMIT_NOFILE, &none) == 0) {
            Ttombpcdat doc;
            vellumark::memory_views views;
            try {
                vellumark::load_script_file(path, doc, views);
            } catch (const vellumark::script_error& e) {
                m = e.what();
            }
        } else {
            m = "setrlimit failed";
        }
        (void)!::write(pipe_fds[1], m.data(), m.size());
        ::_exit(0);
    }
    ::close(pipe_fds[1]);
    char buf[128] = {};
    const ssize_t n = ::read(pipe_fds[0], buf, sizeof buf - 1);
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0), "Too many open files");
}

TEST(OpenFaults, HundredMegabytesOfGarbage) {
    temp_folder folder;
    const std::string path = folder.file("garbage.DAT");
    bytes garbage(std::size_t{100} << 20);
    std::uint64_t state = 20240611;  // splitmix64
    for (std::size_t i = 0; i < garbage.size(); i += 8) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        std::memcpy(&garbage[i], &z, 8);
    }

    for (const bool small_counts : {false, true}) {
        const char* variant = small_counts ? "random bytes with small header counts" : "random bytes";
        if (small_counts)
            for (std::size_t at = layout::kLevelCount; at < layout::kTitleSoundId; at += 2) garbage[at + 1] = 0;
        samples::write_file(path, garbage);

        const auto start = std::chrono::steady_clock::now();
        const std::string m = open_message(path);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("[ timing   ] 100 MB of %s: \"%s\" after %.1f ms\n", variant, m.c_str(), ms);
        EXPECT_TRUE(documented_open_message(m)) << m;
    }
}

}  // namespace
