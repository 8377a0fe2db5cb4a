// Writes a generated real-size script (about 20 levels, no game file) to the
// file named on the command line, for checks of the installed programs.
#include <cstdio>
#include <exception>

#include "tests/samples/sample_scripts.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    try {
        vellumark::samples::write_file(argv[1], vellumark::samples::real_size_bytes());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
