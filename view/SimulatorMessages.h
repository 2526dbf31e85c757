#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TextStore;

// Where a simulator's message in an output or error file points into the netlist it ran.
// ngspice names a card by its line ("Error on line 4 or its substitute:", "Netlist line no.
// 4:") or by the card itself, quoted under a heading with the element's flattened name
// (q.x1.q7: a Q device named q7 inside the instance x1).
struct NetlistPlace {
    // The netlist's line, 0-based; -1: the card named `card` is to be found instead.
    std::int32_t line = -1;
    // The first word of the netlist card to find, in lower case: the element, or the
    // outermost subcircuit instance that holds it.
    std::string card;
    // What lies inside that instance ("q7", "x2.r3"); empty for a card of the netlist's own.
    std::string innerPath;
    // The message on one line, for the status bar.
    std::string message;
};

// The place the message headed on `line` of an output names; nothing when the line heads
// no message that names one.
std::optional<NetlistPlace> PlaceAt(const TextStore& output, std::int32_t line);

// The first line after `from` (forward) or before it whose message names a place; -1 when
// there is none.
std::int32_t NextPlaceLine(const TextStore& output, std::int32_t from, bool forward);

// The line of the card whose first word is `name` (letter case ignored), among the cards
// of the netlist's own: not the title line, a comment or a continuation, nor inside a
// subcircuit's definition or a .control section. -1 when there is none.
std::int32_t FindCard(const TextStore& netlist, std::string_view name);
