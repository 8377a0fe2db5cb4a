// Helpers of the command-line companion's tests: a scratch folder, and runs
// of the commands in process or through a built executable.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "cli/cli.h"

namespace vellumark::cli::testing {

// A fresh folder under the system's temporary folder, removed afterwards.
struct scratch_dir {
    std::filesystem::path path_ = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "vellumark-cli-XXXXXX").string();
        return ::mkdtemp(pattern.data()) ? pattern : throw std::runtime_error("mkdtemp failed");
    }();
    scratch_dir() = default;
    scratch_dir(const scratch_dir&) = delete;
    ~scratch_dir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
};

struct result {
    int code = -1;
    std::string out, err;
};

// Runs a command in process.
inline result run_cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = run(args, out, err);
    return {code, out.str(), err.str()};
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a program (by default the built vellumark-cli), its output caught in
// files of the scratch folder.
inline result run_program(const scratch_dir& dir, const std::vector<std::string>& args,
                          const std::string& program = VELLUMARK_CLI_PATH) {
    const auto quoted = [](const std::string& s) {
        std::string q = "'";
        for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    std::string command = quoted(program);
    for (const std::string& a : args) command.append(" ").append(quoted(a));
    command.append(" >").append(quoted(dir / ".stdout"));
    command.append(" 2>").append(quoted(dir / ".stderr")).append(" </dev/null");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir / ".stdout"), slurp(dir / ".stderr")};
}

}  // namespace vellumark::cli::testing
