// Reading and writing TOMBPC.DAT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tombpcdat.h"
#include "views.h"

namespace vellumark {

// ---- reading ---------------------------------------------------------------

// Reads the script bytes in file order. Every read is checked.
class script_reader {
public:
    explicit script_reader(std::span<const std::uint8_t> bytes) : data_(bytes) {}

    std::size_t position() const { return pos_; }
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    void raw(std::uint8_t* out, std::size_t n);

    // Needs flags and cipher_byte of the header already read into doc.
    std::string read_coded_string(const Ttombpcdat& doc);
    // Reads one sequence, ending with command 9, into the slot.
    void read_sequence(script_slot& slot, int slot_index);

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// Parses a whole file image into a fresh record. Throws script_error with the
// program's message ("Read beyond end of file", "Range check error", ...).
Ttombpcdat parse_script(std::span<const std::uint8_t> bytes);

// Reads a regular file read-only into memory; anything else (a FIFO, a
// device, a socket) is refused without waiting on it. Throws script_error
// ("File not found", "Invalid filename", "File access denied", "I/O error %d",
// or a message naming a path that is not a regular file).
std::vector<std::uint8_t> read_file_bytes(const std::string& path);

// Opens a script all or nothing: the file is read and parsed into a fresh
// record first; only when that succeeded is doc replaced and the record
// pushed into the views. On failure nothing has changed.
void load_script_file(const std::string& path, Ttombpcdat& doc, script_views& views);

// ---- writing ---------------------------------------------------------------

// The coded form of a text: XORed with key when flags has 0x0100, plus one
// terminator byte. Always one byte longer than the text.
std::string encode_string(std::uint16_t flags, std::uint8_t key, std::string_view text);

// Pulls the view values into doc, normalises and checks the document, and
// returns the complete file image. Throws script_error, before anything is
// produced, when the document cannot be stored so that it reads back the same
// (a string over 255 characters, a table or the sequence block over 65,535
// bytes, a command after "End of set", a full slot without "End of set").
//
// Normalisation: an empty slot becomes a lone "End of set"; a slot not ending
// with "End of set" gets one; missing slots up to level_count + 1 are added.
std::vector<std::uint8_t> write_script_file(Ttombpcdat& doc, const script_views& views);

// Builds the file image from a copy of doc and saves it to path with
// atomic_write_file (codec/fileio.h: replaced whole where it can be, written
// in place where a replacement would break a link or change the owner); doc
// takes the pulled and normalised values only when the file is complete. A
// refused or failed save leaves doc unchanged, and the target as it was unless
// the message says that the file may be incomplete.
void save_script_file(const std::string& path, Ttombpcdat& doc, const script_views& views);

}  // namespace vellumark
