// Helpers of the command-line companion's tests: a scratch folder, and runs
// of the commands in process or through the built executable.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "cli/cli.h"

namespace vellumark::cli::testing {

// A fresh folder under the system's temporary folder, removed afterwards.
class scratch_dir {
public:
    scratch_dir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vellumark-cli-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data())) std::abort();
        path_ = buf.data();
    }
    ~scratch_dir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct result {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs a command in process.
inline result run_cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    result r;
    r.code = run(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string shell_quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a program with its output caught in files of the scratch folder.
inline result run_program(const scratch_dir& dir, const std::string& program,
                          const std::vector<std::string>& args) {
    std::string command = shell_quoted(program);
    for (const std::string& a : args) command += " " + shell_quoted(a);
    const std::string out = dir / ".stdout", err = dir / ".stderr";
    command += " >" + shell_quoted(out) + " 2>" + shell_quoted(err) + " </dev/null";
    int status = std::system(command.c_str());
    result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

// Runs the built vellumark-cli.
inline result run_executable(const scratch_dir& dir, const std::vector<std::string>& args) {
    return run_program(dir, VELLUMARK_CLI_PATH, args);
}

}  // namespace vellumark::cli::testing
