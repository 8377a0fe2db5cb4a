// The text of `diff`: the differences between two script documents, field by
// field and entry by entry in file order, named by the paths of the JSON form.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/codepage.h"
#include "codec/tombpcdat.h"

namespace vellumark::report {

// One UTF-8 line per difference, in document order; empty when the two
// documents hold the same script. Commands are shown as the Script Commands
// tab lists them, each looked up in its own document. Texts are read in the
// code page cp. The layouts, the movie records and the numbers of bytes after
// the last table are compared too.
std::vector<std::string> diff_documents(const Ttombpcdat& a, const Ttombpcdat& b,
                                        const codepage::table& cp = codepage::get(codepage::kDefaultPage));

// diff_documents of two opened files, given with the images they were read
// from. The documents only count the bytes after their last table; when both
// have as many, those bytes are compared here. When the documents show no
// difference but the images do (an offset or a size that the reader mended),
// the first differing byte is named ("bytes[392]: 0x0c -> 0x0d", after
// "bytes: N bytes -> M bytes" when the lengths differ): two files that differ
// never compare as the same.
std::vector<std::string> diff_files(const Ttombpcdat& a, std::span<const std::uint8_t> a_bytes,
                                    const Ttombpcdat& b, std::span<const std::uint8_t> b_bytes,
                                    const codepage::table& cp = codepage::get(codepage::kDefaultPage));

}  // namespace vellumark::report
