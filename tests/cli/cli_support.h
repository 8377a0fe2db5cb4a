// Helpers of the command-line companion's tests: a scratch folder, and runs
// of the commands in process or through a built executable.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sstream>
#include <string>
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

// Runs a program (by default the built vellumark-cli; found on PATH when
// the name has no slash) with `input` as its standard input, its output
// caught in files of the scratch folder.
inline result run_program(const scratch_dir& dir, const std::vector<std::string>& args,
                          const std::string& program = VELLUMARK_CLI_PATH,
                          const std::string& input = "/dev/null") {
    const std::string out_path = dir / ".stdout", err_path = dir / ".stderr";
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in = ::open(input.c_str(), O_RDONLY);
        const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(127);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) throw std::runtime_error("waitpid failed");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out_path), slurp(err_path)};
}

// A run of the built vellumark-cli with its peak memory and its time,
// measured by the small helper support/peak_memory.cpp.
struct measured : result {
    long peak_kb = 0;
    double seconds = 0;
};
inline measured run_measured(const scratch_dir& dir, const std::vector<std::string>& args,
                             const std::string& input = "/dev/null") {
    std::vector<std::string> command{dir / ".figures", VELLUMARK_CLI_PATH};
    command.insert(command.end(), args.begin(), args.end());
    measured m;
    static_cast<result&>(m) = run_program(dir, command, VELLUMARK_PEAK_MEMORY_PATH, input);
    std::istringstream(slurp(dir / ".figures")) >> m.peak_kb >> m.seconds;
    return m;
}

}  // namespace vellumark::cli::testing
