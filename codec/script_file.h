// Reading and writing TOMBPC.DAT. The codec reads bytes into a fresh record
// and writes a record to bytes; it never sees a view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/fileio.h"
#include "codec/tombpcdat.h"

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
//
// The image is read in the PC layout. When that fails, leaves bytes after the
// last key-string table or finds a table whose total size is not the bytes
// its strings take, and the PlayStation layout reads the image to its last
// byte with every table's total size right, the record is the PlayStation
// script. Otherwise the PC reading stands: its failure, or its record with
// the bytes left over counted in trailing_bytes.
Ttombpcdat parse_script(std::span<const std::uint8_t> bytes);

// What opening the record's file has to tell beyond the script itself: that
// bytes followed its last key-string table, which a save will not keep.
// Nothing for a file that is all script.
std::optional<std::string> trailing_bytes_message(const Ttombpcdat& doc);

// The longest file taken for a script. No layout holds more than about 2.8
// MB: the header, eighteen tables of at most 32767 offsets and 65535 bytes of
// strings each, the slots (65536 bytes of offsets, 65535 of commands), 32767
// demo entries and as many movie records. A longer file is refused before it
// is read.
inline constexpr std::size_t kMaxScriptBytes = std::size_t{4} << 20;

// Opens a script: the file is read and parsed into a fresh record, all or
// nothing. Throws script_error.
Ttombpcdat load_script_file(const std::string& path);

// ---- writing ---------------------------------------------------------------

// The coded form of a text: XORed with key when flags has 0x0100, plus one
// terminator byte. Always one byte longer than the text.
std::string encode_string(std::uint16_t flags, std::uint8_t key, std::string_view text);

// Brings a document that check_script() passes into the form the file
// stores, so that it reads back as itself:
// - every slot ends with "End of set" (an empty slot becomes a lone one), and
//   slots are added up to one per level plus the title slot;
// - each key-string table has one entry per level (missing ones empty, the
//   ones past the last level dropped);
// - the header counts, game_strings1_count, script_count, every offset and
//   size and each slot's operand_count follow the tables;
// - flags keeps the bits of the nine option flags and gains 0x0100 and 0x0200;
// - the layout and the movie records stay; trailing_bytes becomes 0, since
//   the saved file has none.
void normalise_script(Ttombpcdat& doc);

// The file image of a normalised document, section by section, in the
// document's layout.
std::vector<std::uint8_t> serialise_script(const Ttombpcdat& doc);

// Check, normalise, serialise. Throws script_error with the first error of
// check_script() before anything is produced; doc is then unchanged.
// Otherwise doc becomes the normalised record and its image is returned.
std::vector<std::uint8_t> write_script_file(Ttombpcdat& doc);

// write_script_file, then the image is saved to path with atomic_write_file
// (codec/fileio.h: replaced whole where it can be, written in place where a
// replacement would break a link or change the owner). doc takes the
// normalised values only when the file is complete. A refused or failed save
// leaves doc unchanged, and the target as it was unless the message says
// that the file may be incomplete.
void save_script_file(const std::string& path, Ttombpcdat& doc);

}  // namespace vellumark
