#include "SpiceLexer.h"

#include <algorithm>

#include "CharClass.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool SameWord(std::string_view text, std::string_view lowerWord) {
    return text.size() == lowerWord.size() &&
           std::equal(text.begin(), text.end(), lowerWord.begin(),
                      [](char t, char w) { return Lower(t) == w; });
}

// What ends a word of a card: a blank and the characters that stand between words.
bool EndsWord(char c) {
    return IsBlank(c) || c == '=' || c == '(' || c == ')' || c == ',' || c == ';' || c == '{' ||
           c == '}' || c == '"' || c == '\'';
}

std::size_t WordEnd(std::string_view line, std::size_t at) {
    while (at < line.size() && !EndsWord(line[at]))
        ++at;
    return at;
}

std::size_t SkipBlanks(std::string_view line, std::size_t at) {
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    return at;
}

// A SPICE number: digits with an optional point and exponent, then letters only (a scale
// such as k, meg or u, and any unit after it). 2N2222 is a name, not a number.
bool IsNumber(std::string_view word) {
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        ++i;
    int digits = 0;
    for (; i < word.size() && IsDigit(word[i]); ++i)
        ++digits;
    if (i < word.size() && word[i] == '.')
        for (++i; i < word.size() && IsDigit(word[i]); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i + 1 < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        std::size_t e = i + 1;
        if (word[e] == '+' || word[e] == '-')
            ++e;
        if (e < word.size() && IsDigit(word[e])) {
            for (i = e; i < word.size() && IsDigit(word[i]);)
                ++i;
        }
    }
    return std::all_of(word.begin() + std::ptrdiff_t(i), word.end(), IsLetter);
}

SpiceStyle ElementStyle(char letter) {
    switch (Lower(letter)) {
    case 'r': case 'c': case 'l': case 'k':
        return SpiceStyle::Passive;
    case 'v': case 'i': case 'e': case 'f': case 'g': case 'h': case 'b':
        return SpiceStyle::Source;
    case 'x':
        return SpiceStyle::Instance;
    default:
        return IsLetter(letter) ? SpiceStyle::Device : SpiceStyle::Plain;
    }
}

class Runs {
public:
    explicit Runs(std::vector<SpiceSpan>* spans) : m_spans(spans) {}
    void Add(std::size_t from, std::size_t to, SpiceStyle style) {
        if (m_spans != nullptr && to > from)
            m_spans->push_back({std::uint32_t(from), std::uint32_t(to - from), style});
    }

private:
    std::vector<SpiceSpan>* m_spans;
};

// Where a quoted or braced stretch that starts at `at` ends: after its closing character
// (braces nest), or at the line's end when it has none.
std::size_t ClosingEnd(std::string_view line, std::size_t at) {
    const char open = line[at];
    const char close = open == '{' ? '}' : open;
    int depth = 0;
    for (std::size_t i = at; i < line.size(); ++i) {
        if (open == '{' && line[i] == '{')
            ++depth;
        else if (line[i] == close && (open != '{' || --depth == 0) && i > at)
            return i + 1;
    }
    return line.size();
}

// The words after a card's first: comments, expressions, strings, parameters and numbers;
// inside .control also variables.
void LexArguments(std::string_view line, std::size_t at, bool control, Runs& runs) {
    while (at < line.size()) {
        const char c = line[at];
        if (IsBlank(c) || c == '=' || c == '(' || c == ')' || c == ',' || c == '}') {
            ++at;
            continue;
        }
        if (c == ';') {
            runs.Add(at, line.size(), SpiceStyle::Comment);
            return;
        }
        if (c == '$') {
            const std::size_t name = at + 1 < line.size() && line[at + 1] == '&' ? at + 2 : at + 1;
            if (control && name < line.size() && (IsLetter(line[name]) || line[name] == '_')) {
                const std::size_t end = WordEnd(line, name);
                runs.Add(at, end, SpiceStyle::Variable);
                at = end;
                continue;
            }
            // Words are split at blanks, so a `$` that starts a word follows a blank.
            runs.Add(at, line.size(), SpiceStyle::Comment);
            return;
        }
        if (c == '{' || c == '\'' || c == '"') {
            const std::size_t end = ClosingEnd(line, at);
            runs.Add(at, end, c == '"' ? SpiceStyle::String : SpiceStyle::Expression);
            at = end;
            continue;
        }
        const std::size_t end = WordEnd(line, at);
        const std::size_t next = SkipBlanks(line, end);
        const bool assigned = next < line.size() && line[next] == '=' &&
                              !(next + 1 < line.size() && line[next + 1] == '=');
        const std::string_view word = line.substr(at, end - at);
        if (assigned)
            runs.Add(at, end, SpiceStyle::Parameter);
        else if (IsNumber(word))
            runs.Add(at, end, SpiceStyle::Number);
        at = end;
    }
}

// Whether the text holds `word` (lower case) at the start of a word, in any case.
bool HoldsWord(std::string_view line, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= line.size(); ++i)
        if ((i == 0 || !IsLetter(line[i - 1])) && SameWord(line.substr(i, word.size()), word))
            return true;
    return false;
}

SpiceLexer::State SubcktDepth(SpiceLexer::State state) {
    return state & SpiceLexer::kSubcktMask;
}

// A dot card's effect on the state; `closesNothing` when it ends a block that is not open.
SpiceLexer::State DotCardState(std::string_view card, std::string_view line, std::size_t after,
                               SpiceLexer::State state, bool& closesNothing) {
    using L = SpiceLexer;
    closesNothing = false;
    if (SameWord(card, ".control")) {
        // Nothing continues a control section's lines, nor the card before it.
        return SpiceLexer::State((state | L::kControl) & ~L::kCard);
    }
    if (SameWord(card, ".endc")) {
        closesNothing = true; // inside .control, .endc is read as the control section's
    } else if (SameWord(card, ".subckt")) {
        if (SubcktDepth(state) != L::kSubcktMask)
            state += L::kSubcktStep;
    } else if (SameWord(card, ".ends")) {
        closesNothing = SubcktDepth(state) == 0;
        if (!closesNothing)
            state -= L::kSubcktStep;
    } else if (SameWord(card, ".lib")) {
        // `.lib NAME` opens a section; `.lib FILE NAME` takes one from a file.
        std::size_t at = SkipBlanks(line, after);
        int words = 0;
        while (at < line.size() && line[at] != ';' && line[at] != '$') {
            ++words;
            at = SkipBlanks(line, std::max(WordEnd(line, at), at + 1));
        }
        if (words == 1)
            state |= L::kLibSection;
    } else if (SameWord(card, ".endl")) {
        closesNothing = (state & L::kLibSection) == 0;
        state &= SpiceLexer::State(~L::kLibSection);
    }
    return SpiceLexer::State(state | L::kCard);
}

} // namespace

SpiceKind SpiceLexer::KindOf(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return SpiceKind::Plain;
    const std::string_view ext = fileName.substr(dot + 1);
    for (const std::string_view netlist : {"cir", "ckt", "sp", "spi", "spice", "net"})
        if (SameWord(ext, netlist))
            return SpiceKind::Netlist;
    for (const std::string_view library : {"lib", "inc", "mod"})
        if (SameWord(ext, library))
            return SpiceKind::Library;
    for (const std::string_view output : {"out", "err"})
        if (SameWord(ext, output))
            return SpiceKind::Output;
    return SpiceKind::Plain;
}

SpiceLexer::State SpiceLexer::Start(SpiceKind kind) {
    return kind == SpiceKind::Netlist ? kTitleNext : 0;
}

SpiceLexer::State SpiceLexer::Lex(SpiceKind kind, std::string_view line, State state,
                                  std::vector<SpiceSpan>* spans) {
    Runs runs(spans);
    if (kind == SpiceKind::Plain)
        return state;
    if (kind == SpiceKind::Output) {
        if (spans != nullptr) {
            if (HoldsWord(line, "error") || HoldsWord(line, "fatal"))
                runs.Add(0, line.size(), SpiceStyle::Error);
            else if (HoldsWord(line, "warning"))
                runs.Add(0, line.size(), SpiceStyle::Warning);
        }
        return state;
    }
    if ((state & kTitleNext) != 0) {
        runs.Add(0, line.size(), SpiceStyle::Title);
        return State(state & ~kTitleNext);
    }
    const std::size_t start = SkipBlanks(line, 0);
    if (start == line.size())
        return state; // a blank line leaves the card above open to continuation
    const char first = line[start];
    // A line that begins with an end-of-line comment is a comment line too, inside
    // .control as well, and like one leaves the card above open to continuation.
    const bool endOfLineComment =
        first == ';' || (first == '$' && (start + 1 == line.size() || IsBlank(line[start + 1])));
    if (first == '*' || endOfLineComment) {
        runs.Add(start, line.size(), SpiceStyle::Comment);
        return state;
    }
    const std::size_t wordEnd = std::max(WordEnd(line, start), start + 1);
    const std::string_view word = line.substr(start, wordEnd - start);
    const bool control = (state & kControl) != 0;
    if (control) {
        // Inside .control every line is a command; only .endc ends it.
        const bool ends = SameWord(word, ".endc");
        runs.Add(start, wordEnd, ends ? SpiceStyle::DotCard : SpiceStyle::Command);
        if (spans != nullptr)
            LexArguments(line, wordEnd, !ends, runs);
        return ends ? State(state & ~kControl) : state;
    }
    if (first == '+') {
        if ((state & kCard) == 0) {
            runs.Add(start, line.size(), SpiceStyle::Error);
            return state;
        }
        runs.Add(start, start + 1, SpiceStyle::Continuation);
        if (spans != nullptr)
            LexArguments(line, start + 1, false, runs);
        return state;
    }
    State next = State(state | kCard);
    SpiceStyle style = ElementStyle(first);
    if (first == '.') {
        bool closesNothing = false;
        next = DotCardState(word, line, wordEnd, state, closesNothing);
        style = closesNothing ? SpiceStyle::Error : SpiceStyle::DotCard;
    }
    runs.Add(start, wordEnd, style);
    if (spans != nullptr)
        LexArguments(line, wordEnd, false, runs);
    return next;
}
