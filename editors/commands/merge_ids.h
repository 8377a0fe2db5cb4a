// The ids by which the undo stack merges a step into the one before it. Each
// kind of merging step has its own id here, so that two kinds never merge
// into each other; a step that does not merge keeps QUndoCommand's -1.
#pragma once

enum class MergeId : int {
    KeyStringLine = 1,  // typing on one line of a key-string memo
    Option,             // typing one option value
    MovieRecord,        // editing one movie record of a PlayStation script
};

constexpr int mergeId(MergeId id) { return static_cast<int>(id); }
