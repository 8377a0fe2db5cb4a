// Command names and the one-line listing of a script command.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "tombpcdat.h"

namespace vellumark {

inline constexpr int kCommandNameCount = 23;

// Index = command number. Trailing blanks are part of the names.
extern const std::array<std::string_view, kCommandNameCount> command_names;

// Looks up the name a listing shows after an operand: row `index` of one of
// the lists (level descriptions, movie, cut-scene or picture names). Returns
// false when the list has no such row.
struct listing_lookup {
    virtual ~listing_lookup() = default;
    // list: 1 level descriptions, 3 picture names, 4 movie names, 5 cut-scene names
    virtual bool row(int list, int index, std::string& out) const = 0;
};

// The listing line of one command, in script bytes:
//   name[,operand][ (looked-up name)]
// A command number outside the table lists as "---UNKNOWN(n)"; a looked-up
// name that is missing shows as "(?)".
std::string format_command(const script_command& cmd, const listing_lookup& lookup);

// A lookup that answers from the document's own tables.
class document_lookup : public listing_lookup {
public:
    explicit document_lookup(const Ttombpcdat& doc) : doc_(doc) {}
    bool row(int list, int index, std::string& out) const override;

private:
    const Ttombpcdat& doc_;
};

}  // namespace vellumark
