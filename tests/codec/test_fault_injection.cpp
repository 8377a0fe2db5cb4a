// Saving when the disk fails: every write of a save is made to fail in turn
// (no space, a device error, a short write). Each time the target keeps its
// earlier bytes, no temporary file is left beside it, the message is the
// program's own, and the document is as it was before the save.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
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

class temp_folder {
public:
    temp_folder() {
        std::string templ = (fs::temp_directory_path() / "vellumark-faults-XXXXXX").string();
        if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~temp_folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    fs::path path_;
};

// Every write goes through the hook while this lives.
struct hook_guard {
    explicit hook_guard(vellumark::write_hook hook) { vellumark::set_write_hook(std::move(hook)); }
    ~hook_guard() { vellumark::set_write_hook(nullptr); }
};

enum class fault { no_space, io_error, short_write };

const char* name_of(fault f) {
    switch (f) {
    case fault::no_space: return "ENOSPC";
    case fault::io_error: return "EIO";
    case fault::short_write: return "short write";
    }
    return "?";
}

std::string message_of(fault f) { return f == fault::io_error ? "I/O error 5" : "Disk full"; }

// Passes writes through until write number fail_at (from 0). That one fails
// as the fault says; a short write stores half of its bytes. Every later
// write fails as a full disk or a dead device would.
vellumark::write_hook failing_at(int fail_at, fault f, std::shared_ptr<int> calls) {
    return [fail_at, f, calls](int fd, const void* buf, std::size_t n) -> ssize_t {
        const int k = (*calls)++;
        if (k < fail_at) return ::write(fd, buf, n);
        const bool first = k == fail_at;
        switch (f) {
        case fault::no_space: errno = ENOSPC; return -1;
        case fault::io_error: errno = EIO; return -1;
        case fault::short_write:
            if (first) return n / 2 ? ::write(fd, buf, n / 2) : 0;
            errno = ENOSPC;
            return -1;
        }
        return -1;
    };
}

// The document of a sample file, with the views edited the way a user would
// (so that a completed save would change the record).
struct edited_document {
    Ttombpcdat doc;
    vellumark::memory_views views;

    explicit edited_document(const std::vector<std::uint8_t>& file) {
        doc = vellumark::parse_script(file);
        views = samples::views_of(doc);
        views.spins[1] = 4242;
        views.lists[1][0] = "Edited level";
        views.checks[10] = !views.checks[10];
    }
};

// What a failed write must leave: the earlier bytes, no temporary file, the
// program's message.
void expect_clean_failure(const temp_folder& folder, const std::string& target,
                          const std::vector<std::uint8_t>& before, fault f, const std::string& message) {
    EXPECT_EQ(message, message_of(f));
    EXPECT_EQ(samples::read_file(target), before);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"TOMBPC.DAT"});
}

// Fails each write of a save in turn. Every write position is failed under
// atomic_write_file with the finished image; the whole save (build, write,
// hand the record back) is failed at the first, a middle and the last write,
// which also shows that the document is left as it was. (For a small file
// those are all the positions.)
void fail_every_write(const std::vector<std::uint8_t>& file, fault f) {
    SCOPED_TRACE(name_of(f));
    temp_folder folder;
    const std::string target = (folder.path() / "TOMBPC.DAT").string();
    const std::vector<std::uint8_t> before = samples::file_bytes(samples::make_document(99, 3));
    samples::write_file(target, before);

    const edited_document original(file);

    // How many writes a complete save makes, and what it writes.
    int writes = 0;
    std::vector<std::uint8_t> saved;
    {
        edited_document probe = original;
        const std::string other = (folder.path() / "probe.DAT").string();
        auto calls = std::make_shared<int>(0);
        hook_guard guard(failing_at(1 << 30, f, calls));
        vellumark::save_script_file(other, probe.doc, probe.views);
        writes = *calls;
        saved = samples::read_file(other);
        fs::remove(other);
        EXPECT_NE(probe.doc, original.doc) << "a completed save pulls the edited views";
    }
    ASSERT_EQ(writes, static_cast<int>((saved.size() + vellumark::kWriteChunk - 1) / vellumark::kWriteChunk));

    for (int k = 0; k < writes; ++k) {
        SCOPED_TRACE("failing write " + std::to_string(k) + " of " + std::to_string(writes));
        std::string message;
        {
            hook_guard guard(failing_at(k, f, std::make_shared<int>(0)));
            try {
                vellumark::atomic_write_file(target, saved);
            } catch (const vellumark::script_error& e) {
                message = e.what();
            }
        }
        expect_clean_failure(folder, target, before, f, message);
        if (::testing::Test::HasFailure()) return;  // one report is enough
    }

    for (int k : {0, writes / 2, writes - 1}) {
        SCOPED_TRACE("failing write " + std::to_string(k) + " of a whole save");
        edited_document work = original;
        std::string message;
        {
            hook_guard guard(failing_at(k, f, std::make_shared<int>(0)));
            try {
                vellumark::save_script_file(target, work.doc, work.views);
            } catch (const vellumark::script_error& e) {
                message = e.what();
            }
        }
        expect_clean_failure(folder, target, before, f, message);
        EXPECT_EQ(work.doc, original.doc);
        if (::testing::Test::HasFailure()) return;
    }

    // Without faults the same save goes through.
    edited_document work = original;
    vellumark::save_script_file(target, work.doc, work.views);
    EXPECT_EQ(samples::read_file(target), saved);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"TOMBPC.DAT"});
}

TEST(SaveFaults, EveryWriteOfARealSizeScriptFailsCleanly) {
    const auto file = samples::real_size_bytes();
    for (fault f : {fault::no_space, fault::io_error, fault::short_write}) fail_every_write(file, f);
}

TEST(SaveFaults, EveryWriteOfANearLimitScriptFailsCleanly) {
    const auto file = samples::near_limit_bytes();
    ASSERT_GT(file.size(), 16 * vellumark::kWriteChunk);
    for (fault f : {fault::no_space, fault::io_error, fault::short_write}) fail_every_write(file, f);
}

TEST(SaveFaults, AFailedSaveUnderANewNameCreatesNothing) {
    const auto file = samples::real_size_bytes();
    for (fault f : {fault::no_space, fault::io_error, fault::short_write}) {
        SCOPED_TRACE(name_of(f));
        temp_folder folder;
        edited_document work(file);
        const edited_document original(file);
        hook_guard guard(failing_at(0, f, std::make_shared<int>(0)));
        try {
            vellumark::save_script_file((folder.path() / "NEW.DAT").string(), work.doc, work.views);
            ADD_FAILURE() << "the save did not fail";
        } catch (const vellumark::script_error& e) {
            EXPECT_EQ(std::string(e.what()), message_of(f));
        }
        EXPECT_TRUE(folder.entries().empty());
        EXPECT_EQ(work.doc, original.doc);
    }
}

}  // namespace
