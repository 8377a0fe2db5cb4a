// Every file that parses goes through the writer, is parsed
// again and written again. The two written images must be the same bytes, and
// the second parse must give the record that the first write left behind.
// A file whose opening names nothing that a save changes (no repair, no stray
// bytes) must be written as the very bytes that were read. A document that
// the writer refuses is fine; any other difference aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <span>
#include <vector>

#include "codec/check.h"
#include "codec/errors.h"
#include "codec/script_file.h"

namespace {

using vellumark::Ttombpcdat;

[[noreturn]] void fail(const char* what, const char* detail = "") {
    std::fprintf(stderr, "round trip: %s%s\n", what, detail);
    std::abort();
}

// Names the parts of two records that differ, to make a finding readable.
void describe_difference(const Ttombpcdat& a, const Ttombpcdat& b) {
#define VM_FIELD(f) \
    if (!(a.f == b.f)) std::fprintf(stderr, "  field differs: " #f "\n");
    VM_FIELD(layout) VM_FIELD(version) VM_FIELD(description) VM_FIELD(reserved_a) VM_FIELD(first_option)
    VM_FIELD(title_replace) VM_FIELD(on_death_demo) VM_FIELD(on_death_game) VM_FIELD(demo_time)
    VM_FIELD(on_interrupt) VM_FIELD(on_demo_end) VM_FIELD(reserved_b) VM_FIELD(level_count)
    VM_FIELD(pic_count) VM_FIELD(title_count) VM_FIELD(fmv_count) VM_FIELD(cutscene_count)
    VM_FIELD(demo_level_count) VM_FIELD(title_sound_id) VM_FIELD(single_level)
    VM_FIELD(reserved_c) VM_FIELD(flags) VM_FIELD(reserved_d) VM_FIELD(cipher_byte)
    VM_FIELD(reserved_f) VM_FIELD(secret_sound_id) VM_FIELD(reserved_e) VM_FIELD(level_names)
    VM_FIELD(pic_files) VM_FIELD(title_files) VM_FIELD(fmv_files) VM_FIELD(level_files)
    VM_FIELD(cutscene_files) VM_FIELD(script_count) VM_FIELD(script_offsets)
    VM_FIELD(script_size) VM_FIELD(scripts) VM_FIELD(demo_levels) VM_FIELD(game_strings1_count)
    VM_FIELD(movie_records) VM_FIELD(game_strings1) VM_FIELD(game_strings2) VM_FIELD(key_strings)
    VM_FIELD(beta_key_strings)
    VM_FIELD(trailing_bytes) VM_FIELD(repairs)
#undef VM_FIELD
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Ttombpcdat doc;
    try {
        doc = vellumark::parse_script(std::span(data, size));
    } catch (const vellumark::script_error&) {
        return 0;  // not a script
    }

    const bool named = !vellumark::read_notices(doc).empty();
    std::vector<std::uint8_t> first;
    try {
        first = vellumark::write_script_file(doc);
    } catch (const vellumark::script_error&) {
        return 0;  // refused before writing: fine
    }
    if (!named && (first.size() != size || !std::equal(first.begin(), first.end(), data)))
        fail("a save writes other bytes than were read, and opening named nothing it changes");

    Ttombpcdat again;
    try {
        again = vellumark::parse_script(first);
    } catch (const vellumark::script_error& e) {
        fail("the written file does not parse: ", e.what());
    }
    if (!(again == doc)) {
        describe_difference(doc, again);
        fail("the written file reads back as another record");
    }

    std::vector<std::uint8_t> second;
    try {
        second = vellumark::write_script_file(again);
    } catch (const vellumark::script_error& e) {
        fail("the written file is refused when saved again: ", e.what());
    }
    if (second != first) fail("saving the file again gives other bytes");
    return 0;
}
