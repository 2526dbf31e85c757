#pragma once

#include <cstdint>
#include <string_view>

class TextStore;

// One row of the keyword table: the help context of the lines whose first word is
// `keyword` (lower-case ASCII), whatever the case of their letters. Several words may share
// a context (".meas" and ".measure", ".tran" and the control command "tran").
struct KeywordEntry {
    std::int32_t helpContext;
    const char* keyword;
};

// The SPICE words that begin a netlist's lines, searched from the first row; the first row
// that matches decides. A word matches only whole ("end" is not ".endc", "set" is not
// "setplot"); a single element letter matches the first letter of a name ("rload" is a
// resistor), so the letters stand after every word. The last row has a null keyword and
// context 0.
extern const KeywordEntry KeywordTable[];

// Control-language commands whose words are also the names elements are commonly given
// ("sp" is the switch p): looked for inside a .control section only, where there are no
// elements. The last row has a null keyword.
extern const KeywordEntry ControlOnlyKeywords[];

// The help context of a line by its first word (leading blanks skipped): inside a .control
// section the control-language commands are tried first and element letters not at all.
[[nodiscard]] int KeywordContext(std::string_view line, bool inControl) noexcept;

// F1 reads a netlist from its first line on, as the simulator does: the first line is the
// netlist's title, lines between .control and .endc are commands, and a "+" line continues
// the last card before it (comments and blank lines between are skipped).
class NetlistHelpReader {
public:
    NetlistHelpReader() = default;
    // A reader that begins at line `firstLine` (0-based), inside .control or not.
    NetlistHelpReader(int firstLine, bool inControl) noexcept
        : m_nLine(firstLine), m_bInControl(inControl) {}

    // The help context of the next line, given its bytes; 0 when the line has none.
    [[nodiscard]] int Next(std::string_view line) noexcept;
    [[nodiscard]] bool InControl() const noexcept { return m_bInControl; }

private:
    int m_nLine = 0;
    bool m_bInControl = false;
    int m_cardContext = 0; // the context of the last card, for the lines that continue it
};

// The help context of line `line` of `store` (0 when none, or when there is no such line):
// what a NetlistHelpReader gives that line, read from the first, found by reading upward
// from it only as far as the card it belongs to and the nearest .control or .endc above.
[[nodiscard]] int HelpContextOfLine(const TextStore& store, int line);

// The help context of the netlist's title: its first line, and .title.
inline constexpr int kTitleHelpContext = 210;
// The help context of a comment line: `*`, and a line that begins with `;` or `$ `.
inline constexpr int kCommentHelpContext = 41;
