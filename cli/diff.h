// The differences between two script documents, field by field and entry by
// entry, named by the paths of the JSON form.
#pragma once

#include <string>
#include <vector>

#include "codec/codepage.h"
#include "codec/tombpcdat.h"

namespace vellumark::cli {

// One UTF-8 line per difference, in document order; empty when the two
// documents hold the same script. Commands are shown as the Script Commands
// tab lists them, each looked up in its own document. Texts are read in the
// code page cp.
std::vector<std::string> diff_documents(const Ttombpcdat& a, const Ttombpcdat& b,
                                        const codepage::table& cp = codepage::get(codepage::kDefaultPage));

}  // namespace vellumark::cli
