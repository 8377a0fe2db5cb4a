// What the catalogue's reader and writer need of libgettextpo: owners of its
// objects, its reports turned into the program's messages, and a catalogue
// read from bytes (through a private copy, since the library reads files).
#pragma once

#include <gettext-po.h>
#include <iconv.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace vellumark::catalogue::po {

struct file_deleter {
    void operator()(po_file* f) const { po_file_free(f); }
};
using file_ptr = std::unique_ptr<po_file, file_deleter>;

struct iterator_deleter {
    void operator()(po_message_iterator_t i) const { po_message_iterator_free(i); }
};
using iterator_ptr = std::unique_ptr<struct po_message_iterator, iterator_deleter>;

// A folder of our own under the system's temporary folder, removed with
// everything in it.
class scratch_folder {
public:
    scratch_folder();
    ~scratch_folder();
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The PO file that bytes hold, read by the library from a private copy.
// Throws script_error with the library's first error, as "NAME:LINE: text".
file_ptr read(std::span<const std::uint8_t> bytes, const std::string& name);

// Writes the catalogue as PO text and returns its bytes. Throws script_error
// with the library's first error.
std::string text_of(po_file_t file);

// Converts the catalogue's texts to UTF-8 when its header names another
// character set.
class to_utf8 {
public:
    // Throws script_error "NAME: the catalogue's character set X is not known
    // to the system's iconv".
    to_utf8(const std::string& name, po_file_t file);
    ~to_utf8();
    to_utf8(const to_utf8&) = delete;
    to_utf8& operator=(const to_utf8&) = delete;

    // The text in UTF-8, or nothing when it is not valid in the character set.
    std::optional<std::string> operator()(const char* text) const;
    const std::string& charset() const { return charset_; }

private:
    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
    std::string charset_ = "UTF-8";
};

}  // namespace vellumark::catalogue::po
