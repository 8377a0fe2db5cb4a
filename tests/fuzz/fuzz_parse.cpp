// Arbitrary bytes into the script reader. Any input may be refused with a
// script_error; anything else (a crash, a leak, undefined behaviour, another
// exception) is a finding. A file that parses, in either layout, is also
// listed, checked and shown as Open shows it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/check.h"
#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/script_file.h"
#include "codec/transcript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const vellumark::Ttombpcdat doc = vellumark::parse_script(std::span(data, size));
        (void)vellumark::transcript_lines(doc);
        (void)vellumark::check_script(doc);
        (void)vellumark::trailing_bytes_message(doc);
        (void)vellumark::read_notices(doc);
        for (const auto& slot : doc.scripts)
            for (int i = 0; i < slot.command_count; ++i)
                (void)vellumark::format_command(slot.commands[std::size_t(i)], doc);
    } catch (const vellumark::script_error&) {
        // A refused file: fine.
    }
    return 0;
}
