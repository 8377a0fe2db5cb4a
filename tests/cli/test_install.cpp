// `cmake --install` of this build tree into a scratch prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "cli_support.h"

using namespace vellumark::cli::testing;
namespace fs = std::filesystem;

TEST(Install, PutsTheProgramsAndDesktopFilesInPlace) {
    const fs::path build_dir = fs::path(VELLUMARK_CLI_PATH).parent_path();
    const auto cache_value = [&](const std::string& name) {  // "" when the build tree's cache has none
        std::ifstream cache(build_dir / "CMakeCache.txt");
        for (std::string line; std::getline(cache, line);)
            if (line.rfind(name + ":", 0) == 0 && line.find('=') != std::string::npos)
                return line.substr(line.find('=') + 1);
        return std::string();
    };
    const std::string cmake = cache_value("CMAKE_COMMAND");
    ASSERT_FALSE(cmake.empty()) << "no CMakeCache.txt in " << build_dir;
    const bool gui = cache_value("VELLUMARK_GUI") == "ON";
    if (gui && !fs::exists(build_dir / "vellumark")) GTEST_SKIP() << "the editor is not built in " << build_dir;

    scratch_dir prefix;
    const fs::path usr = prefix.path() / "usr";
    result r = run_program(prefix, {"--install", build_dir.string(), "--prefix", usr.string()}, cmake);
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    std::set<std::string> listing, expected = {"bin/vellumark-cli"};
    for (const auto& entry : fs::recursive_directory_iterator(usr))
        if (entry.is_regular_file()) listing.insert(fs::relative(entry.path(), usr).string());
    if (gui)
        expected.insert({"bin/vellumark", "bin/skin.bmp", "share/applications/vellumark.desktop", "share/vellumark/readme",
                         "share/icons/hicolor/scalable/apps/vellumark.svg", "share/mime/packages/vellumark.xml"});
    EXPECT_EQ(listing, expected);

    // The installed companion runs from its new place.
    r = run_program(prefix, {"--version"}, (usr / "bin/vellumark-cli").string());
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "vellumark-cli " VELLUMARK_VERSION "\n");

    if (gui) {
        const std::string desktop = slurp((usr / "share/applications/vellumark.desktop").string());
        EXPECT_EQ(desktop.rfind("[Desktop Entry]\n", 0), 0u);
        for (const char* line : {"\nType=Application\n", "\nExec=vellumark %f\n", "\nIcon=vellumark\n",
                                 "\nMimeType=application/x-tombraider-script;\n"})
            EXPECT_NE(desktop.find(line), std::string::npos) << line;
        // Started from the menu, the editor finds its readme in its working folder.
        EXPECT_NE(desktop.find("\nPath=" + (usr / "share/vellumark").string() + "\n"), std::string::npos) << desktop;
        EXPECT_NE(slurp((usr / "share/mime/packages/vellumark.xml").string())
                      .find("<mime-type type=\"application/x-tombraider-script\">"),
                  std::string::npos);
        EXPECT_EQ(fs::file_size(usr / "bin/skin.bmp"), fs::file_size(build_dir / "skin.bmp"));
    }
}
