// Test helper: runs a program and writes its peak memory (ru_maxrss, KB) and
// wall-clock time (seconds) to a file, then exits as the program did:
//
//     peak_memory FIGURES PROGRAM ARGS...
//
// A process started by fork is charged with the memory of the process it was
// forked from, so a test cannot measure a command it starts itself: this
// small process starts it instead.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) return 127;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return 127;
    if (pid == 0) {
        ::execv(argv[2], argv + 2);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return 127;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::FILE* figures = std::fopen(argv[1], "w");
    if (!figures) return 127;
    std::fprintf(figures, "%ld %.6f\n", usage.ru_maxrss, seconds);
    if (std::fclose(figures) != 0) return 127;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 127;
}
