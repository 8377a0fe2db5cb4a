// `cmake --install` of this build tree into a scratch prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "cli_support.h"

using namespace vellumark::cli::testing;
namespace fs = std::filesystem;

namespace {

// A value of the build tree's CMakeCache.txt, or "" when it has none.
std::string cache_value(const fs::path& build_dir, const std::string& name) {
    std::ifstream cache(build_dir / "CMakeCache.txt");
    std::string line;
    while (std::getline(cache, line)) {
        if (line.rfind(name + ":", 0) != 0) continue;
        auto eq = line.find('=');
        if (eq != std::string::npos) return line.substr(eq + 1);
    }
    return "";
}

}  // namespace

TEST(Install, PutsTheProgramsAndDesktopFilesInPlace) {
    const fs::path build_dir = fs::path(VELLUMARK_CLI_PATH).parent_path();
    const std::string cmake = cache_value(build_dir, "CMAKE_COMMAND");
    ASSERT_FALSE(cmake.empty()) << "no CMakeCache.txt in " << build_dir;
    const bool gui = cache_value(build_dir, "VELLUMARK_GUI") == "ON";
    if (gui && !fs::exists(build_dir / "vellumark"))
        GTEST_SKIP() << "the editor is not built in " << build_dir;

    scratch_dir prefix;
    result r = run_program(prefix, cmake, {"--install", build_dir.string(), "--prefix", (prefix / "usr")});
    ASSERT_EQ(r.code, 0) << r.out << r.err;

    std::set<std::string> listing;
    for (const auto& entry : fs::recursive_directory_iterator(prefix.path() / "usr"))
        if (entry.is_regular_file()) listing.insert(fs::relative(entry.path(), prefix.path() / "usr").string());
    std::set<std::string> expected = {"bin/vellumark-cli"};
    if (gui)
        expected.insert({"bin/vellumark", "bin/skin.bmp", "share/applications/vellumark.desktop",
                         "share/icons/hicolor/scalable/apps/vellumark.svg", "share/mime/packages/vellumark.xml"});
    EXPECT_EQ(listing, expected);

    // The installed companion runs from its new place.
    r = run_program(prefix, prefix / "usr/bin/vellumark-cli", {"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "vellumark-cli " VELLUMARK_VERSION "\n");

    if (gui) {
        std::string desktop = slurp(prefix / "usr/share/applications/vellumark.desktop");
        EXPECT_EQ(desktop.rfind("[Desktop Entry]\n", 0), 0u);
        for (const char* line : {"\nType=Application\n", "\nExec=vellumark %f\n", "\nIcon=vellumark\n",
                                 "\nMimeType=application/x-tombraider-script;\n"})
            EXPECT_NE(desktop.find(line), std::string::npos) << line;
        std::string mime = slurp(prefix / "usr/share/mime/packages/vellumark.xml");
        EXPECT_NE(mime.find("<mime-type type=\"application/x-tombraider-script\">"), std::string::npos);
        EXPECT_EQ(fs::file_size(prefix / "usr/bin/skin.bmp"), fs::file_size(build_dir / "skin.bmp"));
    }
}
