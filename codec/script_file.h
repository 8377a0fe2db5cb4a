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
// The image is read in every layout of kLayouts, PC first, and the reading
// that leaves the fewest bytes unexplained is taken:
// - A reading whose every offset and size agrees with what it holds and that
//   ends at the last byte explains the whole file and is taken at once.
// - Otherwise each reading counts the bytes that the file's own offsets and
//   sizes confirm (a string, a slot, an offset or size word that agrees). A
//   later layout replaces an earlier one only when it confirms more bytes and
//   reads in step where it parts from the others: there its offsets and sizes
//   confirm at least as many bytes as they contradict. A reading in the wrong
//   layout goes out of step where the layouts part and stays so, so stray
//   bytes or a wrong size never make a script of another layout, and a PC
//   script is never taken for a PlayStation one by a lucky reading of garbage
//   after it. An earlier layout keeps a tie.
// - The reading taken is the record, with its stray bytes in trailing_bytes
//   and what a save writes otherwise in repairs; or, when it failed, the
//   refusal: its own message when it is the script of its layout cut short or
//   damaged (or every layout failed alike), else "The file is not a script:
//   read as a PC script: ...; read as a PlayStation script: ...; read as a
//   PlayStation beta script: ..." with each layout's first problem.
Ttombpcdat parse_script(std::span<const std::uint8_t> bytes);

// What opening the record's file has to tell beyond the script itself: that
// bytes followed its last key-string table, which a save will not keep.
// Nothing for a file that is all script.
std::optional<std::string> trailing_bytes_message(const Ttombpcdat& doc);

// The longest file taken for a script. The format holds at most 2,818,413
// bytes: the 390-byte header; eighteen tables of at most 32767 offsets, a
// size word and 65535 bytes of strings (131,071 bytes each); the count of
// game strings 1; 32768 slot offsets, the block size and 65535 bytes of
// commands; 32767 demo entries; 32767 movie records of 8 bytes. The
// PlayStation beta's six more tables make that 3,604,839 bytes. The limit
// leaves room above that for stray bytes and padding (a console's 2,048-byte
// sectors) and for a file whose damaged strings run past their tables' sizes,
// which opens with its repairs named. A longer file is refused before it is
// read, so no reading of it costs more than a few times its size.
inline constexpr std::size_t kMaxScriptBytes = std::size_t{4} << 20;

// Opens a script: the file is read and parsed into a fresh record, all or
// nothing. Throws script_error.
Ttombpcdat load_script_file(const std::string& path);

// ---- writing ---------------------------------------------------------------

// The flags a save writes for flags read: the option flags kept, the coding
// bits 0x0100 and 0x0200 set, any other bit dropped.
std::uint16_t saved_flags(std::uint16_t flags);

// The coded form of a text: XORed with key when flags has 0x0100, plus one
// terminator byte. Always one byte longer than the text.
std::string encode_string(std::uint16_t flags, std::uint8_t key, std::string_view text);

// Brings a document that check_script() passes into the form the file
// stores, so that it reads back as itself:
// - every slot ends with "End of set" (an empty slot becomes a lone one), and
//   slots are added up to one per level plus the title slot;
// - each key-string table of the layout (the beta's six included) has one
//   entry per level (missing ones empty, the ones past the last level
//   dropped); the beta's six are emptied in the other layouts, which have no
//   place for them (check_script() refuses them while they hold text);
// - the header counts, game_strings1_count, script_count, every offset and
//   size and each slot's operand_count follow the tables;
// - flags becomes saved_flags(flags);
// - the layout and the movie records stay; trailing_bytes becomes 0 and the
//   repairs are cleared, since the saved file has neither.
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
// that the file may be incomplete. With backup_rule::keep an existing file
// first has its bytes kept as "NAME.bak" (atomic_write_file).
void save_script_file(const std::string& path, Ttombpcdat& doc, backup_rule backup = backup_rule::none);

}  // namespace vellumark
