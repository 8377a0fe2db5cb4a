// Shared by the benchmarks: a catalogue with every text translated, made from
// a template as gettext's msgen makes it (each msgstr the msgid).
#pragma once

#include <gettext-po.h>

#include <cstddef>
#include <string>

namespace bench {

inline void translate_by_msgid(const std::string& pot, const std::string& po) {
    const po_xerror_handler quiet = {
        [](int, po_message_t, const char*, std::size_t, std::size_t, int, const char*) {},
        [](int, po_message_t, const char*, std::size_t, std::size_t, int, const char*, po_message_t, const char*,
           std::size_t, std::size_t, int, const char*) {}};
    po_file_t file = po_file_read(pot.c_str(), &quiet);
    if (!file) return;
    po_message_iterator_t it = po_message_iterator(file, nullptr);
    for (po_message_t m = po_next_message(it); m; m = po_next_message(it))
        if (po_message_msgctxt(m)) po_message_set_msgstr(m, po_message_msgid(m));
    po_message_iterator_free(it);
    po_file_write(file, po.c_str(), &quiet);
    po_file_free(file);
}

}  // namespace bench
