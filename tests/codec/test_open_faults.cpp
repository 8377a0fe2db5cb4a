// Opening files that are not whole scripts: cut-off files, damaged header
// counts, folders, missing and unreadable files, empty files and 100 MB of
// garbage. Each fails with the program's own message and changes nothing.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <regex>
#include <string>
#include <tuple>
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

struct temp_folder {
    fs::path path;
    temp_folder() {
        std::string templ = (fs::temp_directory_path() / "vellumark-open-XXXXXX").string();
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
};

bool documented_open_message(const std::string& m) {
    static const std::regex known("Read beyond end of file|Range check error|List index out of bounds \\(\\d+\\)|"
                                  "Script sequence \\d+ has more than 64 commands");
    return std::regex_match(m, known);
}

// Empty when the bytes parse, else the message.
std::string parse_message(const bytes& file) {
    try {
        (void)vellumark::parse_script(file);
        return {};
    } catch (const vellumark::script_error& e) {
        return e.what();
    }
}

// Opens path over a document and views holding other, partly unsaved, work;
// returns the message (empty on success) and checks a failed open kept it all.
std::string open_message(const std::string& path) {
    struct state {
        Ttombpcdat doc = samples::make_document(7, 4);
        vellumark::memory_views views = samples::views_of(doc);
        auto tie() const {
            return std::tie(doc, views.lists, views.memos, views.spins, views.checks, views.memo12, views.transcript,
                            views.selected_slot);
        }
    };
    static const state before = [] {
        state s;
        s.views.spins[3] = -17;
        s.views.lists[8].push_back("typed but not saved");
        s.views.selected_slot = 2;
        return s;
    }();
    state s = before;
    try {
        vellumark::load_script_file(path, s.doc, s.views);
        return {};
    } catch (const vellumark::script_error& e) {
        EXPECT_EQ(s.tie(), before.tie()) << "a failed open changed the document or the views";
        return e.what();
    }
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

    // Every value of every byte of every count: a high byte of 0x80 and over
    // is negative; anything else parses or gives a documented message.
    int parsed = 0;
    for (std::size_t field : {layout::kLevelCount, layout::kPicCount, layout::kTitleCount, layout::kFmvCount,
                              layout::kCutsceneCount, layout::kDemoLevelCount, strings_at})
        for (std::size_t at : {field, field + 1})
            for (int value = 0; value < 256; ++value) {
                bytes damaged = file;
                damaged[at] = std::uint8_t(value);
                const std::string m = parse_message(damaged);
                if (at == field + 1 && value >= 0x80)
                    ASSERT_EQ(m, "Range check error") << "byte " << at << " = " << value;
                else if (m.empty())
                    ++parsed;
                else
                    ASSERT_TRUE(documented_open_message(m)) << m << ", byte " << at << " = " << value;
            }
    EXPECT_GT(parsed, 0);

    // A few values of every byte of the header.
    for (std::size_t at = 0; at < layout::kHeaderSize; ++at)
        for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF, file[at] ^ 0x01}) {
            bytes damaged = file;
            damaged[at] = value;
            const std::string m = parse_message(damaged);
            ASSERT_TRUE(m.empty() || documented_open_message(m)) << m << ", byte " << at << " = " << int(value);
        }
}

TEST(OpenFaults, RangeAndIndexFailuresChangeNothing) {
    temp_folder folder;
    bytes file;
    for (unsigned seed = 1; file.empty(); ++seed)  // a real-size document with demo levels
        if (const Ttombpcdat d = samples::make_document(seed, 20); !d.demo_levels.empty()) file = samples::file_bytes(d);
    const Ttombpcdat doc = vellumark::parse_script(file);
    const auto [demo_at, strings_at] = demo_and_strings_at(doc);

    bytes negative = file, negative_strings = file, demo = file, endless = file;
    negative[layout::kLevelCount + 1] = 0x80;
    negative_strings[strings_at + 1] = 0xFF;
    put_u16(demo, demo_at, std::uint16_t(doc.level_count));
    // Every "End of set" turned into command 0: the first sequence runs past 64.
    int commands = 0;
    for (const auto& slot : doc.scripts) commands += slot.command_count;
    ASSERT_GT(commands, 64);
    for (std::size_t at = demo_at - doc.script_size; at < demo_at;) {
        const std::uint16_t code = std::uint16_t(endless[at] | (endless[at + 1] << 8));
        if (code == layout::kEndOfSet) put_u16(endless, at, 0);
        at += layout::carries_operand(code) ? 4 : 2;
    }
    EXPECT_EQ(open_message(folder.file("negative.DAT", negative)), "Range check error");
    EXPECT_EQ(open_message(folder.file("strings.DAT", negative_strings)), "Range check error");
    EXPECT_EQ(open_message(folder.file("demo.DAT", demo)),
              "List index out of bounds (" + std::to_string(doc.level_count) + ")");
    EXPECT_EQ(open_message(folder.file("endless.DAT", endless)), "Script sequence 0 has more than 64 commands");
}

TEST(OpenFaults, FoldersMissingEmptyAndUnreadableFiles) {
    temp_folder folder;
    EXPECT_EQ(open_message(folder.path.string()), "File access denied");
    EXPECT_EQ(open_message((folder.path / "missing.DAT").string()), "File not found");
    EXPECT_EQ(open_message((folder.path / "no such folder/TOMBPC.DAT").string()), "Invalid filename");
    EXPECT_EQ(open_message(folder.file("empty.DAT", {})), "Read beyond end of file");

    // A read-only file opens: Open only reads.
    const std::string read_only = folder.file("readonly.DAT", samples::real_size_bytes());
    fs::permissions(read_only, fs::perms::owner_read);
    EXPECT_EQ(open_message(read_only), "");

    if (::geteuid() == 0) {
        std::printf("[ note     ] running as root: a file without read permission stays readable, not tested\n");
    } else {
        const std::string locked = folder.file("locked.DAT", samples::real_size_bytes());
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
    Ttombpcdat doc;
    vellumark::memory_views views;
    try {
        vellumark::load_script_file(path, doc, views);
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

}  // namespace
