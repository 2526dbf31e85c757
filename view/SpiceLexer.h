#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// What a stretch of a line is, which decides its colour.
enum class SpiceStyle : std::uint8_t {
    Plain,
    Title,        // a netlist's first line
    Comment,      // a `*` line, or from `;` or a `$` after a blank to the end
    Continuation, // the `+` that continues the card above
    DotCard,      // `.model`, `.tran`, `.control`, ...
    Passive,      // element names: R, C, L, K
    Source,       // V, I and the controlled sources E, F, G, H, B
    Device,       // D, Q, J, M, Z and the other devices
    Instance,     // X: a subcircuit's instance
    Number,       // 1k, 10meg, 2.5u, 1e-9
    Expression,   // {...} and '...'
    Parameter,    // the name of name=value
    String,       // "..."
    Command,      // a control-language command, inside .control
    Variable,     // $name, inside .control
    Error,        // an output's error line; a card that closes nothing; a `+` with no card
    Warning,      // an output's warning line
};
inline constexpr int kSpiceStyles = int(SpiceStyle::Warning) + 1;

// A run of a line's bytes in one style; the bytes between runs are plain.
struct SpiceSpan {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    SpiceStyle style = SpiceStyle::Plain;
    bool operator==(const SpiceSpan&) const = default;
};

// How a file's lines are read: a netlist with a title line, an included netlist (a library)
// without one, a simulator's output, or text with no colours.
enum class SpiceKind : std::uint8_t { Plain, Netlist, Library, Output };

// The colouring of SPICE netlists and simulator outputs, a line at a time. A line's runs
// depend only on its bytes and the state the line before it ended in, and the state a line
// ends in depends only on that state and the line's first words: so a line's state can be
// found without its runs, quickly, for the lines above those shown.
class SpiceLexer {
public:
    using State = std::uint8_t;
    // The next line is the title (the state a netlist starts in).
    static constexpr State kTitleNext = 0x01;
    // A card came before, which a `+` line continues.
    static constexpr State kCard = 0x02;
    // Inside .control ... .endc.
    static constexpr State kControl = 0x04;
    // Inside a library's section, .lib NAME ... .endl.
    static constexpr State kLibSection = 0x08;
    // How deep in .subckt ... .ends, up to 3.
    static constexpr State kSubcktStep = 0x10;
    static constexpr State kSubcktMask = 0x30;

    // The kind of a file by its name's extension, in any case.
    static SpiceKind KindOf(std::string_view fileName);
    static State Start(SpiceKind kind);
    // Whether a line can start in another state than the first: plain text and outputs
    // keep the first throughout, so that no line above need be read for one's colours.
    static constexpr bool CarriesState(SpiceKind kind) {
        return kind == SpiceKind::Netlist || kind == SpiceKind::Library;
    }
    // The state the line ends in, given the one it starts in; with `spans`, its runs are
    // appended to it, in order and apart.
    static State Lex(SpiceKind kind, std::string_view line, State state,
                     std::vector<SpiceSpan>* spans);
};
