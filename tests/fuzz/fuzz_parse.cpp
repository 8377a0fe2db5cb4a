// Arbitrary bytes into the script reader. Any input may be refused with a
// script_error; anything else (a crash, a leak, undefined behaviour, another
// exception) is a finding. A file that parses is also pushed into the views,
// as Open does.
#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/errors.h"
#include "codec/script_file.h"
#include "codec/views.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const vellumark::Ttombpcdat doc = vellumark::parse_script(std::span(data, size));
        vellumark::memory_views views;
        vellumark::push_to_views(doc, views);
    } catch (const vellumark::script_error&) {
        // A refused file: fine.
    }
    return 0;
}
