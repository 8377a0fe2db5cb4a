// vellumark-cli: checks, converts and compares TOMBPC.DAT scripts with the
// editor's own loader and writer.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int code = vellumark::cli::run(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "vellumark-cli: cannot write to standard output\n";
        return vellumark::cli::kExitFailure;
    }
    return code;
}
