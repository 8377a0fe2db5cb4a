// Inputs past what their format can hold are refused at once, in small
// memory: JSON nested deeper than the format, and a JSON file or a catalogue
// longer than the largest the format can be.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "cli_support.h"
#include "formats/catalogue.h"
#include "formats/json_form.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli::testing;

namespace {

// A file of `size` bytes that takes no room on disk (a hole reads as zeros).
void make_sparse(const std::string& path, std::size_t size) {
    samples::write_file(path, {});
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
}

}  // namespace

TEST(Limits, InputsPastTheFormatAreRefusedAtOnceInSmallMemory) {
    scratch_dir dir;
    const std::string script = dir / "TOMBPC.DAT", out = dir / "out.dat";
    samples::write_file(script, samples::real_size_bytes());

    // 40,000 nested objects, 240 KB.
    std::string deep;
    for (int i = 0; i < 40000; ++i) deep += "{\"a\":";
    deep += "1" + std::string(40000, '}');
    samples::write_file(dir / "deep.json", {deep.begin(), deep.end()});
    make_sparse(dir / "big.json", json_form::kMostJsonBytes + 1);
    make_sparse(dir / "big.po", catalogue::kMostCatalogueBytes + 1);
    const auto longer = [](const std::string& path, std::size_t most, std::string_view what) {
        return path + " is " + std::to_string(most + 1) + " bytes long; " + std::string(what) + " is at most " +
               std::to_string(most) + " bytes.\n";
    };

    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string input, err;
    } cases[] = {
        {"deep JSON", {"build", dir / "deep.json", "-o", out}, "/dev/null",
         "a.a.a.a: holds a value nested more than 4 levels deep, deeper than any value of the JSON form.\n"},
        {"oversized JSON", {"build", dir / "big.json", "-o", out}, "/dev/null",
         longer(dir / "big.json", json_form::kMostJsonBytes, json_form::kJsonWhat)},
        {"oversized JSON on standard input", {"build", "-", "-o", out}, dir / "big.json",
         longer("<stdin>", json_form::kMostJsonBytes, json_form::kJsonWhat)},
        {"oversized catalogue", {"strings", "import", script, dir / "big.po", "-o", out}, "/dev/null",
         longer(dir / "big.po", catalogue::kMostCatalogueBytes, catalogue::kCatalogueWhat)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const measured r = run_measured(dir, c.args, c.input);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(std::filesystem::exists(out));
        std::printf("[ figures  ] %s refused in %.0f ms, peak memory %.1f MB\n", c.name, r.seconds * 1000,
                    double(r.peak_kb) / 1024);
#if !defined(__SANITIZE_ADDRESS__)
        EXPECT_LT(r.peak_kb, 64 * 1024);
#endif
    }
}
