// Writes the fuzz seed corpus into a folder: script files made from the
// generated sample documents (no game files), small and real-size, coded and
// plain, printable and all-byte strings, in the PC and the PlayStation
// layout, a few cut-off ones, a few with stray bytes after the last table or
// padding, and a few with a table's size wrong.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/layout.h"
#include "codec/tables.h"
#include "tests/samples/sample_scripts.h"

namespace {

namespace samples = vellumark::samples;

void put(const std::filesystem::path& dir, const std::string& name,
         const std::vector<std::uint8_t>& bytes) {
    samples::write_file((dir / name).string(), bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);
    int count = 0;

    const std::vector<std::uint8_t> real = samples::real_size_bytes();
    put(dir, "real_size", real);
    ++count;
    // The header alone, and the file cut inside its first tables.
    put(dir, "header_only", {real.begin(), real.begin() + vellumark::layout::kHeaderSize});
    put(dir, "cut_early", {real.begin(), real.begin() + vellumark::layout::kHeaderSize + 40});
    count += 2;

    unsigned seed = 1;
    for (int levels : {0, 1, 2, 3, 5, 8, 13, 24}) {
        for (bool all_bytes : {false, true}) {
            const auto doc = samples::make_document(seed++, levels, all_bytes);
            put(dir, "levels" + std::to_string(levels) + (all_bytes ? "_bytes" : "_text"),
                samples::file_bytes(doc));
            ++count;
        }
        // Plain strings: no key, and the coded-strings flag cleared.
        auto plain = samples::make_document(seed++, levels);
        plain.cipher_byte = 0;
        std::vector<std::uint8_t> bytes = samples::file_bytes(plain);
        bytes[vellumark::layout::kFlags + 1] &= static_cast<std::uint8_t>(~0x01);
        put(dir, "levels" + std::to_string(levels) + "_plain", bytes);
        ++count;
        // The PlayStation layout, and a PC file with bytes after its end.
        const auto console = samples::make_console_document(seed++, levels, levels % 2 == 1);
        const std::vector<std::uint8_t> console_bytes = samples::file_bytes(console);
        put(dir, "levels" + std::to_string(levels) + "_playstation", console_bytes);
        put(dir, "levels" + std::to_string(levels) + "_playstation_beta",
            samples::file_bytes(samples::make_beta_document(seed++, levels, levels % 2 == 0)));
        ++count;
        bytes.insert(bytes.end(), {0x00, 0x5A, 0xFF, static_cast<std::uint8_t>(levels)});
        put(dir, "levels" + std::to_string(levels) + "_stray", bytes);
        count += 2;
        // A PlayStation file padded to a 2,048-byte sector, and one whose
        // level file names give a size one byte too large.
        std::vector<std::uint8_t> padded = console_bytes, resized = console_bytes;
        padded.resize((padded.size() / 2048 + 1) * 2048, 0);
        put(dir, "levels" + std::to_string(levels) + "_playstation_padded", padded);
        const std::size_t size_at = samples::size_word_at(console, vellumark::table_id::level_files);
        if (++resized[size_at] == 0) ++resized[size_at + 1];
        put(dir, "levels" + std::to_string(levels) + "_playstation_resized", resized);
        count += 2;
    }
    std::printf("%d seeds in %s\n", count, dir.c_str());
    return 0;
}
