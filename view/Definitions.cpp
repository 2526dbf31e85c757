#include "Definitions.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <utility>

#include "FileStatus.h"
#include "PathSearch.h"
#include "TextStore.h"

namespace Definitions {
namespace {

enum class TokenType { Word, Expression, String, Equals, Paren };

struct Token {
    int line = 0;
    int start = 0; // columns of the line, end past the last byte
    int end = 0;
    TokenType type = TokenType::Word;
    std::string_view text;
};

// A card: its first line, its last `+` line, and its words; words are read only for the
// cards asked for.
struct Card {
    int first = 0;
    int last = 0;
    std::vector<Token> tokens;
};

constexpr bool IsBlankByte(char c) noexcept {
    return c == ' ' || c == '\t';
}

char LowerAscii(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool SameName(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), LowerAscii);
    return lowered;
}

int FirstNonBlank(std::string_view line) noexcept {
    int at = 0;
    while (at < int(line.size()) && IsBlankByte(line[at]))
        ++at;
    return at;
}

// Blank lines and comment lines stand between a card and the `+` lines that continue it.
bool IsSkipped(std::string_view line) noexcept {
    const int at = FirstNonBlank(line);
    return at == int(line.size()) || line[at] == '*';
}

bool IsContinuation(std::string_view line) noexcept {
    const int at = FirstNonBlank(line);
    return at < int(line.size()) && line[at] == '+';
}

bool EndsWord(char c) noexcept {
    return IsBlankByte(c) || c == ',' || c == '=' || c == '(' || c == ')' || c == '{' ||
           c == '\'' || c == '"' || c == ';';
}

// The words of one line from `from`: braces and quotes hold an expression or a string
// whole; `=` and parentheses stand alone; a `;`, or a `$` after a blank, starts a comment.
void Tokenize(std::string_view text, int line, int from, std::vector<Token>& tokens) {
    const int n = int(text.size());
    int at = from;
    auto add = [&](int start, int end, TokenType type) {
        tokens.push_back({line, start, end, type, text.substr(start, end - start)});
        at = end;
    };
    while (at < n) {
        const char c = text[at];
        if (IsBlankByte(c) || c == ',') {
            ++at;
        } else if (c == ';' || (c == '$' && (at == from || IsBlankByte(text[at - 1])))) {
            return;
        } else if (c == '{') {
            int end = at + 1;
            for (int depth = 1; end < n && depth > 0; ++end)
                depth += text[end] == '{' ? 1 : text[end] == '}' ? -1 : 0;
            add(at, end, TokenType::Expression);
        } else if (c == '\'' || c == '"') {
            const std::size_t close = text.find(c, at + 1);
            const int end = close == std::string_view::npos ? n : int(close) + 1;
            add(at, end, c == '"' ? TokenType::String : TokenType::Expression);
        } else if (c == '=') {
            add(at, at + 1, TokenType::Equals);
        } else if (c == '(' || c == ')') {
            add(at, at + 1, TokenType::Paren);
        } else {
            int end = at + 1;
            while (end < n && !EndsWord(text[end]))
                ++end;
            add(at, end, TokenType::Word);
        }
    }
}

// The next card from line `at` on (comment, blank and stray `+` lines are passed over):
// false at the end. `at` moves past the card. With `dotOnly`, only a dot card's words are
// read: no other card defines or includes anything.
bool NextCard(const Lines& lines, int& at, Card& card, bool dotOnly) {
    const int count = int(lines.size());
    while (at < count && (IsSkipped(lines[at]) || IsContinuation(lines[at])))
        ++at;
    if (at >= count)
        return false;
    card.first = card.last = at;
    card.tokens.clear();
    const int start = FirstNonBlank(lines[at]);
    const bool read = !dotOnly || lines[at][start] == '.';
    if (read)
        Tokenize(lines[at], at, start, card.tokens);
    int next = at + 1;
    while (next < count) {
        if (IsSkipped(lines[next])) {
            ++next;
        } else if (IsContinuation(lines[next])) {
            if (read)
                Tokenize(lines[next], next, FirstNonBlank(lines[next]) + 1, card.tokens);
            card.last = next++;
        } else {
            break;
        }
    }
    at = card.last + 1;
    return true;
}

bool FollowedByEquals(const std::vector<Token>& tokens, std::size_t i) {
    return i + 1 < tokens.size() && tokens[i + 1].type == TokenType::Equals;
}

bool StartsName(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) noexcept {
    return StartsName(c) || (c >= '0' && c <= '9');
}

// The name in an expression at column `column` of its token: nothing on a number, an
// operator or a string.
std::string_view NameInExpression(const Token& token, int column) {
    const std::string_view text = token.text;
    int at = std::clamp(column - token.start, 0, int(text.size()));
    if ((at == int(text.size()) || !IsNameChar(text[at])) && at > 0 && IsNameChar(text[at - 1]))
        --at;
    if (at >= int(text.size()) || !IsNameChar(text[at]))
        return {};
    int start = at;
    while (start > 0 && IsNameChar(text[start - 1]))
        --start;
    int end = at;
    while (end < int(text.size()) && IsNameChar(text[end]))
        ++end;
    return StartsName(text[start]) ? text.substr(start, end - start) : std::string_view{};
}

// The first word of a device's model, by its letter: a model name is the last name from
// there on (nodes come before it, and numbers, flags and name=value pairs after it).
int ModelFrom(char letter) {
    switch (LowerAscii(letter)) {
    case 'r':
    case 'c':
    case 'l':
    case 'd':
        return 3;
    case 'j':
    case 'z':
    case 'q':
    case 'w':
    case 'u':
        return 4;
    case 'm':
    case 's':
    case 'o':
    case 'y':
        return 5;
    case 'a':
    case 'n':
        return 2;
    default:
        return -1;
    }
}

// The index of a device card's model among its words, or -1.
int ModelIndex(const std::vector<Token>& tokens) {
    const int from = ModelFrom(tokens[0].text[0]);
    if (from < 0)
        return -1;
    int model = -1;
    for (int i = from; i < int(tokens.size()); ++i) {
        const Token& token = tokens[i];
        if (token.type != TokenType::Word || FollowedByEquals(tokens, i) ||
            tokens[i - 1].type == TokenType::Equals || !StartsName(token.text[0]))
            continue;
        if (SameName(token.text, "off") || SameName(token.text, "on"))
            continue;
        model = i;
    }
    return model;
}

// The index of an X card's subcircuit name: its last word before `params:` or the first
// name=value, or -1.
int SubcircuitIndex(const std::vector<Token>& tokens) {
    int name = -1;
    for (int i = 1; i < int(tokens.size()); ++i) {
        const Token& token = tokens[i];
        if (token.type == TokenType::Word && SameName(token.text, "params:"))
            break;
        if (FollowedByEquals(tokens, i))
            break;
        if (token.type == TokenType::Word)
            name = i;
    }
    return name;
}

// The name a `name=value` or `name(args)=value` of a .param card defines, for the `=` at
// index `equals`; empty when nothing stands before it.
std::string_view AssignedName(const std::vector<Token>& tokens, int equals) {
    int at = equals - 1;
    if (at > 0 && tokens[at].type == TokenType::Paren && tokens[at].text == ")") {
        while (at > 0 && !(tokens[at].type == TokenType::Paren && tokens[at].text == "("))
            --at;
        --at;
    }
    if (at < 1 || tokens[at].type != TokenType::Word)
        return {};
    return tokens[at].text;
}

std::string_view Unquoted(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

// The words of a .lib or .include card that name something (its file, its section).
std::vector<std::string_view> Arguments(const std::vector<Token>& tokens) {
    std::vector<std::string_view> arguments;
    for (std::size_t i = 1; i < tokens.size(); ++i)
        if (tokens[i].type != TokenType::Equals && tokens[i].type != TokenType::Paren)
            arguments.push_back(Unquoted(tokens[i].text));
    return arguments;
}

// Whether the card beginning at `line` stands inside .control ... .endc.
bool InControl(const Lines& lines, int line) {
    for (int at = line - 1; at >= 0; --at) {
        const std::string_view text = lines[at].substr(FirstNonBlank(lines[at]));
        const std::string_view first = text.substr(0, text.find_first_of(" \t"));
        if (SameName(first, ".endc"))
            return false;
        if (SameName(first, ".control"))
            return true;
    }
    return false;
}

// A file's bytes split at CR LF, CR, LF and NUL, as the editor reads a file.
Lines SplitLines(std::string_view text) {
    Lines lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c != '\r' && c != '\n' && c != '\0')
            continue;
        lines.push_back(text.substr(start, at - start));
        if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
            ++at;
        start = at + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// Three ways a file is read: the netlist itself, where everything counts; a file it
// includes, whose `.lib NAME` sections count only when asked for; and one section of a
// library.
enum class Mode { Netlist, Included, Section };

struct Found {
    Place place;
    std::vector<std::string> scope; // the subcircuits around it, outermost first, lower-case
};

class Walker {
public:
    Walker(const Word& word, const Sources& sources, const FileName& netlist, TextPos caret)
        : m_word(word), m_sources(sources), m_netlistFolder(netlist.Folder()), m_caret(caret) {}

    void WalkNetlist(const FileName& file, const Lines& lines, bool titled) {
        if (!file.isEmpty())
            m_visited.insert({CanonicalPath(file).Bytes().toStdString(), std::string()});
        Walk(file, lines, titled ? 1 : 0, Mode::Netlist, {}, 0);
        if (!m_caretSeen)
            m_caretScope = m_stack;
    }

    std::vector<Place> Results() const {
        auto sees = [&](const Found& found) {
            return found.scope.size() <= m_caretScope.size() &&
                   std::equal(found.scope.begin(), found.scope.end(), m_caretScope.begin());
        };
        std::size_t innermost = 0;
        bool anySeen = false;
        for (const Found& found : m_found)
            if (sees(found)) {
                anySeen = true;
                innermost = std::max(innermost, found.scope.size());
            }
        std::vector<Place> places;
        for (const Found& found : m_found)
            if (!anySeen || (sees(found) && found.scope.size() == innermost))
                places.push_back(found.place);
        return places;
    }

private:
    void Walk(const FileName& file, const Lines& lines, int from, Mode mode,
              std::string_view section, int depth) {
        const std::size_t outerDepth = m_stack.size();
        const std::size_t outerFloor = std::exchange(m_floor, outerDepth);
        const bool netlist = mode == Mode::Netlist;
        bool inControl = false;
        bool sectionCounts = mode != Mode::Section; // in Section mode, inside the section asked
        Card card;
        int at = from;
        while (NextCard(lines, at, card, true)) {
            if (netlist && !m_caretSeen && card.first > m_caret.line) {
                m_caretSeen = true;
                m_caretScope = m_stack;
            }
            if (!card.tokens.empty())
                if (!TakeCard(file, lines, card, mode, section, depth, inControl, sectionCounts))
                    break;
            if (netlist && !m_caretSeen && card.last >= m_caret.line) {
                m_caretSeen = true;
                m_caretScope = m_stack;
            }
        }
        // A file that leaves a .subckt open closes it with its end.
        m_stack.resize(outerDepth);
        m_floor = outerFloor;
    }

    // One dot card; false at .end.
    bool TakeCard(const FileName& file, const Lines& lines, const Card& card, Mode mode,
                  std::string_view section, int depth, bool& inControl, bool& sectionCounts) {
        const std::vector<Token>& tokens = card.tokens;
        const std::string command = Lowered(tokens[0].text);
        if (inControl) {
            inControl = command != ".endc";
            return true;
        }
        if (command == ".control") {
            inControl = true;
            return true;
        }
        const std::vector<std::string_view> arguments = Arguments(tokens);
        if (command == ".lib" && arguments.size() == 1) { // a section begins
            if (mode == Mode::Section)
                sectionCounts = SameName(arguments[0], section);
            else if (mode == Mode::Included)
                sectionCounts = false;
            return true;
        }
        if (command == ".endl") {
            sectionCounts = mode != Mode::Section;
            return true;
        }
        if (!sectionCounts)
            return true;
        if (command == ".end")
            return false;
        auto define = [&](Kind kind, std::string_view name) {
            if (kind == m_word.kind && SameName(name, m_word.name))
                Add(file, lines, card.first);
        };
        if (command == ".subckt" && tokens.size() > 1) {
            define(Kind::Subcircuit, tokens[1].text);
            m_stack.push_back(Lowered(tokens[1].text));
            for (std::size_t i = 2; i < tokens.size(); ++i)
                if (tokens[i].type == TokenType::Word && FollowedByEquals(tokens, i))
                    define(Kind::Parameter, tokens[i].text);
        } else if (command == ".ends") {
            if (m_stack.size() > m_floor) // never one that an including file opened
                m_stack.pop_back();
        } else if (command == ".model" && tokens.size() > 1) {
            define(Kind::Model, tokens[1].text);
        } else if (command == ".func" && tokens.size() > 1) {
            define(Kind::Parameter, tokens[1].text);
        } else if (command == ".param") {
            for (int i = 1; i < int(tokens.size()); ++i)
                if (tokens[i].type == TokenType::Equals)
                    if (const std::string_view name = AssignedName(tokens, i); !name.empty())
                        define(Kind::Parameter, name);
        } else if ((command == ".include" || command == ".inc") && !arguments.empty()) {
            Include(file, arguments[0], Mode::Included, {}, depth);
        } else if (command == ".lib" && arguments.size() >= 2) {
            Include(file, arguments[0], Mode::Section, arguments[1], depth);
        }
        return true;
    }

    void Add(const FileName& file, const Lines& lines, int line) {
        std::string_view text = lines[line].substr(FirstNonBlank(lines[line]));
        while (!text.empty() && IsBlankByte(text.back()))
            text.remove_suffix(1);
        m_found.push_back({{file, line, std::string(text)}, m_stack});
    }

    // An included file, found beside the file that names it, beside the netlist, or in the
    // search list, in that order.
    FileName Resolve(const FileName& from, const FileName& name) const {
        if (name.StartsWith("/") || name.StartsWith("~/"))
            return SearchFile({}, name);
        FileNameList folders;
        if (!from.Folder().isEmpty())
            folders << from.Folder();
        if (!m_netlistFolder.isEmpty())
            folders << m_netlistFolder;
        folders << m_sources.directories;
        for (const FileName& folder : folders)
            if (FileName found = SearchFile(folder, name); !found.isEmpty())
                return found;
        return {};
    }

    void Include(const FileName& from, std::string_view given, Mode mode, std::string_view section,
                 int depth) {
        if (depth + 1 > kMaxDepth || m_nFiles >= kMaxFiles)
            return;
        const FileName name = FileName::FromBytes(QByteArrayView(given.data(), given.size()));
        const FileName path = name.isEmpty() ? FileName() : Resolve(from, name);
        if (path.isEmpty())
            return;
        // A file, or a library's section, is read once: an include cycle ends here too.
        if (!m_visited.insert({CanonicalPath(path).Bytes().toStdString(), Lowered(section)}).second)
            return;
        ++m_nFiles;
        if (const TextStore* open = m_sources.openText ? m_sources.openText(path) : nullptr) {
            Walk(path, LinesOf(*open), 0, mode, section, depth + 1);
            return;
        }
        // Read from disk only when it is a regular file this user may read: a FIFO or a
        // device would block or do something.
        if (!QueryFileStatus(path).Readable())
            return;
        std::ifstream stream(path.Path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(stream),
                                std::istreambuf_iterator<char>()};
        Walk(path, SplitLines(bytes), 0, mode, section, depth + 1);
    }

    const Word& m_word;
    const Sources& m_sources;
    FileName m_netlistFolder;
    TextPos m_caret;
    std::set<std::pair<std::string, std::string>> m_visited; // (file, section)
    int m_nFiles = 0;
    std::vector<std::string> m_stack; // the .subckt cards open where the walk stands
    std::size_t m_floor = 0;          // those the files including this one opened
    std::vector<std::string> m_caretScope;
    bool m_caretSeen = false;
    std::vector<Found> m_found;
};

} // namespace

Lines LinesOf(const TextStore& store) {
    Lines lines;
    lines.reserve(std::size_t(store.LineCount()));
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next)
        lines.push_back(Chars(line));
    return lines;
}

Word WordAt(const Lines& lines, bool titled, TextPos pos) {
    const int count = int(lines.size());
    if (pos.line < 0 || pos.line >= count || IsSkipped(lines[pos.line]))
        return {};
    int first = pos.line;
    while (first > 0 && (IsContinuation(lines[first]) || IsSkipped(lines[first])))
        --first;
    if ((titled && first == 0) || InControl(lines, first))
        return {};
    Card card;
    int at = first;
    if (!NextCard(lines, at, card, false) || card.last < pos.line || card.tokens.empty())
        return {};
    const std::vector<Token>& tokens = card.tokens;
    // The word the caret is in or just after; a name wins over a `=` or a parenthesis.
    int index = -1;
    for (int i = 0; i < int(tokens.size()); ++i) {
        const Token& token = tokens[i];
        if (token.line != pos.line || pos.column < token.start || pos.column > token.end)
            continue;
        const bool name = token.type == TokenType::Word || token.type == TokenType::Expression;
        if (index < 0 || (name && pos.column < token.end))
            index = i;
    }
    if (index < 0)
        return {};
    const Token& token = tokens[index];
    const std::string command = Lowered(tokens[0].text);
    auto word = [&](Kind kind, std::string_view name) { return Word{std::string(name), kind}; };
    if (token.type == TokenType::Expression) {
        const std::string_view name = NameInExpression(token, pos.column);
        return word(name.empty() ? Kind::None : Kind::Parameter, name);
    }
    if (token.type != TokenType::Word)
        return {};
    if (index > 0 && tokens[index - 1].type == TokenType::Equals) {
        const std::string_view name = NameInExpression(token, pos.column);
        return word(name.empty() ? Kind::None : Kind::Parameter, name);
    }
    if (FollowedByEquals(tokens, index) && index > 0)
        return word(command == ".param" || command == ".subckt" ? Kind::Parameter : Kind::None,
                    token.text);
    // A function a .param card defines: name(args)=value.
    if (command == ".param" && index > 0 && index + 1 < int(tokens.size()) &&
        tokens[index + 1].text == "(")
        return word(Kind::Parameter, token.text);
    if (index == 1) {
        if (command == ".subckt")
            return word(Kind::Subcircuit, token.text);
        if (command == ".model")
            return word(Kind::Model, token.text);
        if (command == ".func")
            return word(Kind::Parameter, token.text);
    }
    if (command[0] == 'x' && index == SubcircuitIndex(tokens))
        return word(Kind::Subcircuit, token.text);
    if (command[0] != '.' && index == ModelIndex(tokens))
        return word(Kind::Model, token.text);
    return word(Kind::None, token.text);
}

std::vector<Place> Find(const FileName& file, const Lines& lines, bool titled, TextPos pos,
                        const Word& word, const Sources& sources) {
    if (word.kind == Kind::None || word.name.empty())
        return {};
    Walker walker(word, sources, file, pos);
    walker.WalkNetlist(file, lines, titled);
    return walker.Results();
}

} // namespace Definitions
