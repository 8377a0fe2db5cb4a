// Saving when the disk fails: every write of a save fails in turn (no space, a
// device error, a short write). Each time the target keeps its earlier bytes,
// no temporary file is left, the message is the program's own, and the
// document is as it was before the save.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

namespace {

namespace fs = std::filesystem;
namespace samples = vellumark::samples;
using vellumark::Ttombpcdat;
using bytes = std::vector<std::uint8_t>;

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

// The document of a file with the views edited as a user would, so that a
// completed save changes the record.
struct edited_document {
    Ttombpcdat doc;
    vellumark::memory_views views;
    explicit edited_document(const bytes& file) : doc(vellumark::parse_script(file)), views(samples::views_of(doc)) {
        views.spins[1] = 4242;
        views.lists[1][0] = "Edited level";
        views.checks[10] = !views.checks[10];
    }
};

// The message of the save, or "" when it went through.
template <class Save> std::string message_of(Save save) {
    try {
        save();
        return {};
    } catch (const vellumark::script_error& e) {
        return e.what();
    }
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    return names;
}

// Fails every write of atomic_write_file with the finished image; fails the
// whole save (build, write, hand the record back) at the first, a middle and
// the last write; fails a save under a new name at its first write.
void fail_every_write(const bytes& file, fault f) {
    SCOPED_TRACE(f.name);
    std::string templ = (fs::temp_directory_path() / "vellumark-faults-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(templ.data()));
    const fs::path folder = templ;
    const std::string target = (folder / "TOMBPC.DAT").string(), probe = (folder / "NEW.DAT").string();
    const bytes before = samples::file_bytes(samples::make_document(99, 3));
    samples::write_file(target, before);
    const edited_document original(file);

    // How many writes a complete save makes, and what it writes.
    int writes = 0;
    edited_document work = original;
    {
        failing_writes hook(1 << 30, f, &writes);
        vellumark::save_script_file(probe, work.doc, work.views);
    }
    EXPECT_NE(work.doc, original.doc) << "a completed save pulls the edited views";
    const bytes saved = samples::read_file(probe);
    fs::remove(probe);
    ASSERT_EQ(writes, int((saved.size() + vellumark::kWriteChunk - 1) / vellumark::kWriteChunk));

    const auto expect_clean_failure = [&](const std::string& message) {
        EXPECT_EQ(message, f.message);
        EXPECT_EQ(samples::read_file(target), before);
        EXPECT_EQ(entries(folder), std::vector<std::string>{"TOMBPC.DAT"});
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
        expect_clean_failure(message_of([&] { vellumark::save_script_file(target, work.doc, work.views); }));
        EXPECT_EQ(work.doc, original.doc);
    }
    {
        work = original;
        failing_writes hook(0, f);
        expect_clean_failure(message_of([&] { vellumark::save_script_file(probe, work.doc, work.views); }));
        EXPECT_EQ(work.doc, original.doc);
    }
    // Without faults the same save goes through.
    work = original;
    vellumark::save_script_file(target, work.doc, work.views);
    EXPECT_EQ(samples::read_file(target), saved);
    EXPECT_EQ(entries(folder), std::vector<std::string>{"TOMBPC.DAT"});
    fs::remove_all(folder);
}

TEST(SaveFaults, EveryWriteOfARealSizeAndANearLimitScriptFailsCleanly) {
    const bytes near_limit = samples::near_limit_bytes();
    ASSERT_GT(near_limit.size(), 16 * vellumark::kWriteChunk);
    for (const bytes& file : {samples::real_size_bytes(), near_limit})
        for (const fault& f : kFaults) fail_every_write(file, f);
}

}  // namespace
