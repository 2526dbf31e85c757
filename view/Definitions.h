#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "FileName.h"
#include "TextPos.h"

class TextStore;

// Go To Definition in a netlist, apart from any widget: the name at the caret and what it
// names, and the cards that define it in the netlist and the files it includes. Names
// compare without regard to ASCII letter case, as the simulator compares them.
namespace Definitions {

// What a name stands for, which decides the cards that define it: a subcircuit
// (`.subckt`), a model (`.model`) or a parameter (`.param`, `.func`, a subcircuit's
// `params:`).
enum class Kind { None, Subcircuit, Model, Parameter };

struct Word {
    std::string name; // as written
    Kind kind = Kind::None;
};

// A definition: its file, the 0-based line its card begins on, and that line's text.
struct Place {
    FileName file;
    int line = 0;
    std::string text;
};

// A text's lines, borrowed from whatever holds them, for as long as the walk runs.
using Lines = std::vector<std::string_view>;
[[nodiscard]] Lines LinesOf(const TextStore& store);

// The name at a position and its kind: a subcircuit's name on an X line, a device's model,
// a name inside braces or quotes or in a name=value's value, or the name a `.subckt`,
// `.model`, `.param` or `.func` card defines. Kind::None, with the word when there is one,
// anywhere else (a node, a number, a comment).
// `titled`: the first line is the netlist's title, which names nothing.
[[nodiscard]] Word WordAt(const Lines& lines, bool titled, TextPos pos);

// Where the files a netlist includes come from.
struct Sources {
    // Looked in, in order, for an included name that is neither beside the file that
    // includes it nor beside the netlist.
    FileNameList directories;
    // The text of a file open in the editor, unsaved changes and all; null when it is not
    // open, and then the file is read from disk.
    std::function<const TextStore*(const FileName& path)> openText;
};

// A walk never goes deeper than this through .include and .lib, nor reads more files:
// a netlist that includes itself, or a runaway library, ends there.
inline constexpr int kMaxDepth = 32;
inline constexpr int kMaxFiles = 500;

// Every definition of `word` that the card at `pos` of the netlist `lines` (the text of
// `file`, an empty name for an untitled one) sees, in the order the simulator reads them.
// Definitions inside a `.subckt` are its own: those of the innermost subcircuit around the
// position that has any win, then those of the top level; when none of them is seen from
// there, every definition found is given. `titled`: the first line is the netlist's title.
[[nodiscard]] std::vector<Place> Find(const FileName& file, const Lines& lines, bool titled,
                                      TextPos pos, const Word& word, const Sources& sources);

} // namespace Definitions
