#include "formats/diff.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "codec/sections.h"
#include "formats/json_common.h"
#include "codec/codepage.h"
#include "codec/commands.h"
#include "codec/layout.h"
#include "codec/options.h"
#include "codec/tables.h"

namespace vellumark::report {

using json_form::json;

namespace {

using lines = std::vector<std::string>;

std::string quoted(const std::string& bytes, const codepage::table& cp) {
    return json(cp.bytes_to_utf8(bytes)).dump(-1, ' ', false);
}

std::string byte_hex(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", b);
    return text;
}

// Compares two runs of entries position by position: a changed entry, then
// the entries one side has past the end of the other.
void diff_entries(lines& out, const std::string& path, std::size_t na, std::size_t nb,
                  const char* unit, const std::function<bool(std::size_t)>& same,
                  const std::function<std::string(std::size_t)>& show_a,
                  const std::function<std::string(std::size_t)>& show_b) {
    if (na != nb)
        out.push_back(path + ": " + std::to_string(na) + " " + unit + " -> " + std::to_string(nb) + " " + unit);
    for (std::size_t i = 0; i < std::max(na, nb); ++i) {
        std::string at = path + "[" + std::to_string(i) + "]: ";
        if (i >= nb)
            out.push_back(at + "removed " + show_a(i));
        else if (i >= na)
            out.push_back(at + "added " + show_b(i));
        else if (!same(i))
            out.push_back(at + show_a(i) + " -> " + show_b(i));
    }
}

void diff_table(lines& out, const std::string& path, const list_strings& a, const list_strings& b,
                const codepage::table& cp) {
    diff_entries(
        out, path, a.strings.size(), b.strings.size(), "entries",
        [&](std::size_t i) { return a.strings[i] == b.strings[i]; },
        [&](std::size_t i) { return quoted(a.strings[i], cp); },
        [&](std::size_t i) { return quoted(b.strings[i], cp); });
}

template <std::size_t N>
void diff_bytes(lines& out, const std::string& path, const std::array<std::uint8_t, N>& a,
                const std::array<std::uint8_t, N>& b) {
    diff_entries(
        out, path, N, N, "bytes", [&](std::size_t i) { return a[i] == b[i]; },
        [&](std::size_t i) { return byte_hex(a[i]); }, [&](std::size_t i) { return byte_hex(b[i]); });
}

template <typename T>
void diff_value(lines& out, const std::string& path, T a, T b) {
    if (a != b) out.push_back(path + ": " + std::to_string(a) + " -> " + std::to_string(b));
}

std::vector<script_command> commands_of(const std::vector<script_slot>& slots, std::size_t s) {
    if (s >= slots.size()) return {};
    const script_slot& slot = slots[s];
    int n = std::clamp<int>(slot.command_count, 0, kSlotCapacity);
    return {slot.commands.begin(), slot.commands.begin() + n};
}

bool same_command(const script_command& a, const script_command& b) {
    return a.command == b.command && (!cmd::carries_operand(a.command) || a.operand == b.operand);
}

std::string demo_entry(const Ttombpcdat& doc, std::uint16_t level, const codepage::table& cp) {
    std::string name = level < doc.level_names.strings.size() ? doc.level_names.strings[level] : "?";
    return std::to_string(level) + " (" + cp.bytes_to_utf8(name) + ")";
}

// Built by appending: g++ 12 warns falsely (-Wrestrict) about the same
// written as a concatenation.
std::string record_text(const movie_record& r) {
    std::string text = "[";
    text.append(std::to_string(r.first)).append(", ").append(std::to_string(r.second)).append("]");
    return text;
}

// The header section: the header's fields, the options and the flags.
void diff_header(lines& out, const Ttombpcdat& a, const Ttombpcdat& b) {
    diff_value(out, "header.version", a.version, b.version);
    diff_bytes(out, "header.description", a.description, b.description);
    diff_value(out, "header.reserved_a", a.reserved_a, b.reserved_a);
    diff_bytes(out, "header.reserved_b", a.reserved_b, b.reserved_b);
    diff_value(out, "header.single_level", a.single_level, b.single_level);
    diff_bytes(out, "header.reserved_c", a.reserved_c, b.reserved_c);
    diff_bytes(out, "header.reserved_d", a.reserved_d, b.reserved_d);
    diff_value<int>(out, "header.cipher_byte", a.cipher_byte, b.cipher_byte);
    diff_value<int>(out, "header.reserved_f", a.reserved_f, b.reserved_f);
    diff_bytes(out, "header.reserved_e", a.reserved_e, b.reserved_e);

    for (const option_info& o : kOptions)
        diff_value(out, "options." + std::string(o.json), option_value(a, o.id), option_value(b, o.id));

    diff_value<int>(out, "flags.value", a.flags, b.flags);
    for (const flag_info& f : kOptionFlags) {
        const bool fa = (a.flags & f.bit) != 0, fb = (b.flags & f.bit) != 0;
        if (fa != fb)
            out.push_back("flags[\"" + std::string(f.caption) + "\"]: " + (fa ? "true" : "false") + " -> " +
                          (fb ? "true" : "false"));
    }
}

}  // namespace

std::vector<std::string> diff_documents(const Ttombpcdat& a, const Ttombpcdat& b, const codepage::table& cp) {
    lines out;

    if (a.layout != b.layout)
        out.push_back("layout: " + json(json_form::layout_json_name(a.layout)).dump() + " -> " +
                      json(json_form::layout_json_name(b.layout)).dump());
    // The sections in file order; every one either layout has.
    for (const section& s : json_form::every_section()) {
        switch (s.kind) {
        case section_kind::header:
            diff_header(out, a, b);
            break;
        case section_kind::table:
            diff_table(out, json_path(s.table), table(a, s.table), table(b, s.table), cp);
            break;
        case section_kind::sequences:
            if (a.scripts.size() != b.scripts.size())
                out.push_back("slots: " + std::to_string(a.scripts.size()) + " slots -> " +
                              std::to_string(b.scripts.size()) + " slots");
            for (std::size_t n = 0; n < std::max(a.scripts.size(), b.scripts.size()); ++n) {
                auto ca = commands_of(a.scripts, n), cb = commands_of(b.scripts, n);
                diff_entries(
                    out, "slots[" + std::to_string(n) + "]", ca.size(), cb.size(), "commands",
                    [&](std::size_t i) { return same_command(ca[i], cb[i]); },
                    [&](std::size_t i) { return cp.bytes_to_utf8(format_command(ca[i], a)); },
                    [&](std::size_t i) { return cp.bytes_to_utf8(format_command(cb[i], b)); });
            }
            break;
        case section_kind::demo_levels:
            diff_entries(
                out, "demo_levels", a.demo_levels.size(), b.demo_levels.size(), "entries",
                [&](std::size_t i) { return a.demo_levels[i] == b.demo_levels[i]; },
                [&](std::size_t i) { return demo_entry(a, a.demo_levels[i], cp); },
                [&](std::size_t i) { return demo_entry(b, b.demo_levels[i], cp); });
            break;
        case section_kind::movie_records:
            diff_entries(
                out, "fmv_records", a.movie_records.size(), b.movie_records.size(), "records",
                [&](std::size_t i) { return a.movie_records[i] == b.movie_records[i]; },
                [&](std::size_t i) { return record_text(a.movie_records[i]); },
                [&](std::size_t i) { return record_text(b.movie_records[i]); });
            break;
        }
    }
    if (a.trailing_bytes != b.trailing_bytes)
        out.push_back("trailing_bytes: " + std::to_string(a.trailing_bytes) + " bytes -> " +
                      std::to_string(b.trailing_bytes) + " bytes");
    return out;
}

std::vector<std::string> diff_files(const Ttombpcdat& a, std::span<const std::uint8_t> a_bytes,
                                    const Ttombpcdat& b, std::span<const std::uint8_t> b_bytes,
                                    const codepage::table& cp) {
    lines out = diff_documents(a, b, cp);
    const std::size_t n = a.trailing_bytes;
    if (n == b.trailing_bytes && n <= a_bytes.size() && n <= b_bytes.size()) {
        const auto ta = a_bytes.last(n), tb = b_bytes.last(n);
        for (std::size_t i = 0; i < n; ++i)
            if (ta[i] != tb[i])
                out.push_back("trailing_bytes[" + std::to_string(i) + "]: " + byte_hex(ta[i]) + " -> " +
                              byte_hex(tb[i]));
    }
    if (!out.empty() || std::ranges::equal(a_bytes, b_bytes)) return out;
    // Bytes that no value of the documents shows (a size or an offset that
    // the reader mended): named by their place in the files.
    if (a_bytes.size() != b_bytes.size())
        out.push_back("bytes: " + std::to_string(a_bytes.size()) + " bytes -> " + std::to_string(b_bytes.size()) +
                      " bytes");
    const auto [at_a, at_b] = std::ranges::mismatch(a_bytes, b_bytes);
    if (at_a != a_bytes.end() && at_b != b_bytes.end())
        out.push_back("bytes[" + std::to_string(at_a - a_bytes.begin()) + "]: " + byte_hex(*at_a) + " -> " +
                      byte_hex(*at_b));
    return out;
}

}  // namespace vellumark::report
