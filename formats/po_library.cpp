#include "formats/po_library.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

#include "codec/errors.h"
#include "codec/fileio.h"

namespace vellumark::catalogue::po {

namespace {

// ---- the library's reports ----------------------------------------------------------
// The library reports through handlers without a context of their own: the
// reports of one call are gathered in `gathering` while it runs.

struct reports {
    std::string first_error;  // "file:line: text" of the first error
    int errors = 0;
    // The private copy the library reads, and the name messages give it.
    std::string copy, name;

    // A file name as messages give it.
    std::string shown(std::string text) const {
        if (copy.empty()) return text;
        for (std::size_t at = text.find(copy); at != std::string::npos; at = text.find(copy, at + name.size()))
            text.replace(at, copy.size(), name);
        return text;
    }
};

thread_local reports* gathering = nullptr;

std::string where(const char* file, std::size_t line) {
    std::string at = file ? file : "";
    if (file && line != static_cast<std::size_t>(-1) && line != 0) at.append(":").append(std::to_string(line));
    return at;
}

void note(int severity, const std::string& at, const char* text) {
    if (!gathering || severity < PO_SEVERITY_ERROR) return;  // warnings are gettext's advice
    if (gathering->errors++ > 0) return;
    std::string message = text ? text : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    gathering->first_error = gathering->shown(at.empty() ? message : at + ": " + message);
}

void on_error(int severity, po_message_t, const char* file, std::size_t line, std::size_t, int, const char* text) {
    note(severity, where(file, line), text);
}

void on_error2(int severity, po_message_t, const char* file, std::size_t line, std::size_t, int, const char* text,
               po_message_t, const char*, std::size_t, std::size_t, int, const char*) {
    note(severity, where(file, line), text);
}

const po_xerror_handler kHandler = {on_error, on_error2};

class gather {
public:
    gather() : previous_(gathering) { gathering = &reports_; }
    ~gather() { gathering = previous_; }
    gather(const gather&) = delete;
    gather& operator=(const gather&) = delete;
    reports& got() { return reports_; }

private:
    reports reports_;
    reports* previous_;
};

struct c_file_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Writes bytes as a new file of our own.
void write_copy(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::unique_ptr<std::FILE, c_file_closer> out(std::fopen(path.c_str(), "wb"));
    if (!out) throw_errno(errno);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size()) throw_errno(errno);
    if (std::fclose(out.release()) != 0) throw_errno(errno);
}

}  // namespace

scratch_folder::scratch_folder() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) throw script_error("No temporary folder for the catalogue: " + ec.message());
    std::string pattern = (base / "vellumark-po-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw_errno(errno);
    path_ = pattern;
}

scratch_folder::~scratch_folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

file_ptr read(std::span<const std::uint8_t> bytes, const std::string& name) {
    const scratch_folder folder;
    const std::string copy = folder.file("catalogue.po");
    write_copy(copy, bytes);
    gather g;
    g.got().copy = copy;
    g.got().name = name;
    errno = 0;
    file_ptr file(po_file_read(copy.c_str(), &kHandler));
    if (!file) throw_errno(errno ? errno : EIO);
    if (g.got().errors > 0) throw script_error(g.got().first_error);
    return file;
}

std::string text_of(po_file_t file) {
    const scratch_folder folder;
    const std::string path = folder.file("texts.pot");
    // The library cannot report a file it fails to create, so make sure first.
    write_copy(path, {});
    gather g;
    po_file_write(file, path.c_str(), &kHandler);
    if (g.got().errors > 0) throw script_error(g.got().first_error);
    // Our own file: its length is not in question.
    const std::vector<std::uint8_t> bytes = read_file_bytes(path, std::size_t{1} << 40, "a catalogue");
    return std::string(bytes.begin(), bytes.end());
}

// ---- the catalogue's character set ---------------------------------------------------

namespace {

struct malloc_deleter {
    void operator()(char* p) const { std::free(p); }
};
using c_string = std::unique_ptr<char, malloc_deleter>;

}  // namespace

to_utf8::to_utf8(const std::string& name, po_file_t file) {
    const c_string header(const_cast<char*>(po_file_domain_header(file, nullptr)));
    if (!header) return;
    const c_string type(po_header_field(header.get(), "Content-Type"));
    if (!type) return;
    const std::string value = type.get();
    const std::size_t at = value.find("charset=");
    if (at == std::string::npos) return;
    std::string charset = value.substr(at + 8);
    charset.erase(std::min(charset.size(), charset.find_first_of(" ;\t")));
    std::string folded = charset;
    for (char& c : folded)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (folded.empty() || folded == "UTF-8" || folded == "UTF8" || folded == "CHARSET" || folded == "ASCII" ||
        folded == "US-ASCII")
        return;
    cd_ = ::iconv_open("UTF-8", charset.c_str());
    if (cd_ == reinterpret_cast<iconv_t>(-1))
        throw script_error(name + ": the catalogue's character set " + charset + " is not known to the system's iconv");
    charset_ = charset;
}

to_utf8::~to_utf8() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd_);
}

std::optional<std::string> to_utf8::operator()(const char* text) const {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string in(text), out(4 * in.size() + 8, '\0');
    char* inp = in.data();
    char* outp = out.data();
    std::size_t in_left = in.size(), out_left = out.size();
    if (::iconv(cd_, &inp, &in_left, &outp, &out_left) == static_cast<std::size_t>(-1) ||
        ::iconv(cd_, nullptr, nullptr, &outp, &out_left) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

}  // namespace vellumark::catalogue::po
