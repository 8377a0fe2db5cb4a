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
    std::set<std::string> listing, expected = {
        "bin/vellumark-cli", "share/bash-completion/completions/vellumark-cli", "share/doc/vellumark/copyright",
        "share/doc/vellumark/changelog.gz", "share/doc/vellumark/README.md", "share/doc/vellumark/manual.txt",
        "share/doc/vellumark/json-format.md"};
    for (const auto& entry : fs::recursive_directory_iterator(usr))
        if (entry.is_regular_file()) listing.insert(fs::relative(entry.path(), usr).string());
    // The manual pages come with help2man, which make deps installs.
    const bool man_pages = !cache_value("HELP2MAN_EXECUTABLE").empty() &&
                           cache_value("HELP2MAN_EXECUTABLE").find("NOTFOUND") == std::string::npos;
    if (man_pages) expected.insert("share/man/man1/vellumark-cli.1.gz");
    if (gui) {
        expected.insert({"bin/vellumark", "share/vellumark/readme", "share/vellumark/skin.bmp",
                         "share/applications/io.github.vellumark.Vellumark.desktop",
                         "share/metainfo/io.github.vellumark.Vellumark.metainfo.xml",
                         "share/icons/hicolor/scalable/apps/io.github.vellumark.Vellumark.svg",
                         "share/mime/packages/vellumark.xml"});
        if (man_pages) expected.insert("share/man/man1/vellumark.1.gz");
    }
    EXPECT_EQ(listing, expected);

    // The installed companion runs from its new place.
    r = run_program(prefix, {"--version"}, (usr / "bin/vellumark-cli").string());
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "vellumark-cli " VELLUMARK_VERSION "\n");

    if (gui) {
        const std::string desktop = slurp((usr / "share/applications/io.github.vellumark.Vellumark.desktop").string());
        EXPECT_EQ(desktop.rfind("[Desktop Entry]\n", 0), 0u);
        for (const char* line : {"\nType=Application\n", "\nExec=vellumark %f\n", "\nIcon=io.github.vellumark.Vellumark\n",
                                 "\nMimeType=application/x-tombraider-script;\n"})
            EXPECT_NE(desktop.find(line), std::string::npos) << line;
        EXPECT_NE(slurp((usr / "share/mime/packages/vellumark.xml").string())
                      .find("<mime-type type=\"application/x-tombraider-script\">"),
                  std::string::npos);
        // The editor finds its readme and skin.bmp in share/vellumark beside its bin folder.
        EXPECT_EQ(fs::file_size(usr / "share/vellumark/skin.bmp"), fs::file_size(build_dir / "skin.bmp"));
    }
}
