#include "ProgramScan.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>
#include <set>

namespace {

// Reserved words, and the builtins of bash: none of them is looked up on PATH.
const std::set<std::string, std::less<>> kKeywords = {
    "!",    "[[", "]]",  "{",        "}",  "case", "coproc", "do",   "done", "elif",  "else",
    "esac", "fi", "for", "function", "if", "in",   "select", "then", "time", "until", "while"};
const std::set<std::string, std::less<>> kBuiltins = {
    ".",      ":",       "[",         "alias",    "bg",       "bind",    "break",    "builtin",
    "caller", "cd",      "command",   "compgen",  "complete", "compopt", "continue", "declare",
    "dirs",   "disown",  "echo",      "enable",   "eval",     "exec",    "exit",     "export",
    "false",  "fc",      "fg",        "getopts",  "hash",     "help",    "history",  "jobs",
    "kill",   "let",     "local",     "logout",   "mapfile",  "popd",    "printf",   "pushd",
    "pwd",    "read",    "readarray", "readonly", "return",   "set",     "shift",    "shopt",
    "source", "suspend", "test",      "times",    "trap",     "true",    "type",     "typeset",
    "ulimit", "umask",   "unalias",   "unset",    "wait"};
// Programs that run the rest of their words as a command, after options, numbers (a time
// out) and assignments (env's).
const std::set<std::string, std::less<>> kRunners = {
    "env", "nice", "nohup", "setsid", "stdbuf", "sudo", "timeout", "xargs", "xvfb-run"};
// The options of those that take the next word as their value.
const std::map<std::string, std::set<std::string>, std::less<>> kRunnerValues = {
    {"env", {"-u", "-C", "-S"}},
    {"nice", {"-n"}},
    {"stdbuf", {"-i", "-o", "-e"}},
    {"sudo", {"-u", "-g", "-p", "-C", "-D", "-h", "-r", "-t", "-U"}},
    {"timeout", {"-s", "-k"}},
    {"xvfb-run", {"-n", "-s", "-e", "-f", "-p", "-w"}}};
const std::set<std::string, std::less<>> kShells = {"bash", "dash", "sh"};

bool IsNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool IsMeta(char c) {
    return std::strchr(" \t\r\n;&|()<>", c) != nullptr && c != '\0';
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// NAME=, NAME+= or NAME[...]= typed bare at the start of a word.
bool IsAssignment(const ShellWord& word) {
    static const std::regex assignment(R"(^[A-Za-z_][A-Za-z0-9_]*(\[[^\]]*\])?\+?=)");
    return std::regex_search(word.text.substr(0, word.plainPrefix), assignment);
}

bool IsKeyword(const ShellWord& word) {
    return !word.quoted && !word.expanded && kKeywords.count(word.text) != 0;
}

// Options, numbers and assignments: the words a runner takes before its command.
bool IsRunnerArgument(const ShellWord& word) {
    static const std::regex number(R"(^[0-9.]+[smhd]?$)");
    return word.text.starts_with('-') || word.text.starts_with('+') ||
           std::regex_match(word.text, number) || IsAssignment(word);
}

class ShellReader {
public:
    // A reader of a text of its own shell (a script, a bash -c text) ...
    ShellReader(std::string_view text, int firstLine, std::vector<ShellCommand>& out,
                ShellScopes& scopes, bool nested)
        : s(text), line(firstLine), out(out), scopes(scopes), scope(scopes.count++),
          nested(nested) {}
    // ... and of one the same shell runs (a trap, eval or `...` text).
    ShellReader(std::string_view text, int firstLine, std::vector<ShellCommand>& out,
                const ShellReader& shell)
        : s(text), line(firstLine), out(out), scopes(shell.scopes), scope(shell.scope),
          nested(shell.nested) {}

    void Read() { ReadList(false); }

private:
    enum class Mode { Command, ForWords, CaseSubject, CasePatterns, Test, FunctionName };
    // What one list of commands (a script, or the inside of a command substitution) is in
    // the middle of.
    struct List {
        ShellCommand command;
        Mode mode = Mode::Command;
        int parens = 0; // subshells open
        int cases = 0;  // case statements open
    };
    struct HereDocument {
        std::string delimiter;
        bool stripTabs = false;
    };

    char At(std::size_t k) const { return k < s.size() ? s[k] : '\0'; }

    void ReadList(bool substitution);
    bool ReadOperator(List& list, bool substitution);
    void ReadParen(List& list);
    void ReadRedirection();
    void HandleWord(List& list, ShellWord word);
    bool HandleKeyword(List& list, const ShellWord& word);
    void Finish(List& list);
    void ReadNestedScripts(const ShellCommand& command);
    void ReadNested(const std::string& text, int firstLine, bool newShell);
    void Define(const std::string& name) {
        pendingFunction = int(scopes.definitions.size());
        scopes.definitions.push_back({name, scope, nested});
    }

    ShellWord ReadWord();
    void ReadSingleQuoted(ShellWord& word);
    void ReadDoubleQuoted(ShellWord& word);
    void ReadDollar(ShellWord& word, bool inQuotes);
    void ReadAnsiQuoted(ShellWord& word);
    void ReadBackquoted(ShellWord& word);
    void SkipBalanced(char open, char close);
    void SkipArray();
    void SkipHereDocuments();
    void SkipBlanks() {
        while (At(i) == ' ' || At(i) == '\t')
            ++i;
    }
    bool IsRedirection() const;

    std::string_view s;
    std::size_t i = 0;
    int line;
    std::vector<ShellCommand>& out;
    ShellScopes& scopes;
    int scope;
    bool nested;
    std::vector<int> frames; // one per open { }: the definition it is the body of, or -1
    int pendingFunction = -1;
    std::vector<HereDocument> hereDocuments;
};

void ShellReader::ReadList(bool substitution) {
    List list;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '\\' && At(i + 1) == '\n') {
            i += 2;
            ++line;
        } else if (c == '#') {
            while (i < s.size() && s[i] != '\n')
                ++i;
        } else if (list.mode == Mode::Test && std::strchr("()<>&|", c) != nullptr) {
            ++i; // inside [[ ]] these compare and join, and run nothing
        } else if (IsMeta(c) || IsRedirection()) {
            if (ReadOperator(list, substitution))
                return;
        } else {
            HandleWord(list, ReadWord());
        }
    }
    Finish(list);
}

// Reads the operator at i. Returns true when it is the ")" that closes the command
// substitution being read; one that closes nothing is passed over.
bool ShellReader::ReadOperator(List& list, bool substitution) {
    const char c = s[i];
    if (IsRedirection() || (c == '&' && At(i + 1) == '>')) {
        if ((c == '<' || c == '>') && At(i + 1) == '(') { // a process substitution
            i += 2;
            ReadList(true);
        } else {
            ReadRedirection();
        }
        return false;
    }
    if (c == '(') {
        ReadParen(list);
        return false;
    }
    Finish(list);
    if (c == '\n') {
        ++i;
        ++line;
        SkipHereDocuments();
    } else if (c == ';' && (At(i + 1) == ';' || At(i + 1) == '&')) { // ;; ;& ;;& end a case
        i += At(i + 1) == ';' && At(i + 2) == '&' ? 3 : 2;
        if (list.cases > 0)
            list.mode = Mode::CasePatterns;
        return false;
    } else if (c == ')') {
        ++i;
        if (list.mode == Mode::CasePatterns) {
            list.mode = Mode::Command;
            return false;
        }
        if (list.parens == 0)
            return substitution;
        --list.parens;
        return false;
    } else {
        i += (c != ';' && At(i + 1) == c) || (c == '|' && At(i + 1) == '&') ? 2 : 1;
    }
    if (list.mode == Mode::ForWords)
        list.mode = Mode::Command;
    return false;
}

// "(" opens a subshell, an arithmetic command "((", a case pattern, or, after a bare
// name, the "()" of a function definition.
void ShellReader::ReadParen(List& list) {
    std::size_t k = i + 1;
    while (At(k) == ' ' || At(k) == '\t')
        ++k;
    if (At(k) == ')') {
        auto& words = list.command.words;
        if (words.size() == 1 && !words[0].quoted && !words[0].expanded) {
            Define(words[0].text);
            words.clear();
        }
        i = k + 1;
        return;
    }
    if (list.mode == Mode::CasePatterns) {
        ++i;
        return;
    }
    if (At(i + 1) == '(' && list.command.words.empty()) {
        SkipBalanced('(', ')');
        return;
    }
    Finish(list);
    ++list.parens;
    ++i;
}

// At the start of a token: <, >, or a file descriptor's digits just before one.
bool ShellReader::IsRedirection() const {
    std::size_t k = i;
    while (std::isdigit(static_cast<unsigned char>(At(k))))
        ++k;
    return At(k) == '<' || At(k) == '>';
}

// An operator such as 2>>, <<<, >&, &> and the word it takes. A here-document's body is
// skipped when its line ends.
void ShellReader::ReadRedirection() {
    while (std::isdigit(static_cast<unsigned char>(At(i))))
        ++i;
    const std::size_t start = i;
    while (std::strchr("<>&|-", At(i)) != nullptr && At(i) != '\0' && i - start < 3)
        ++i;
    const std::string op(s.substr(start, i - start));
    SkipBlanks();
    const ShellWord target = ReadWord();
    if (op == "<<" || op == "<<-")
        hereDocuments.push_back({target.text, op == "<<-"});
}

void ShellReader::SkipHereDocuments() {
    for (const HereDocument& document : hereDocuments) {
        while (i < s.size()) {
            const std::size_t end = std::min(s.find('\n', i), s.size());
            std::string_view text = s.substr(i, end - i);
            if (document.stripTabs)
                text.remove_prefix(std::min(text.find_first_not_of('\t'), text.size()));
            i = std::min(end + 1, s.size());
            ++line;
            if (text == document.delimiter)
                break;
        }
    }
    hereDocuments.clear();
}

void ShellReader::HandleWord(List& list, ShellWord word) {
    switch (list.mode) {
    case Mode::CasePatterns:
        if (IsKeyword(word) && word.text == "esac") {
            list.cases = std::max(0, list.cases - 1);
            list.mode = Mode::Command;
        }
        return;
    case Mode::ForWords:
        return;
    case Mode::CaseSubject:
        if (word.text == "in" && !word.quoted)
            list.mode = Mode::CasePatterns;
        return;
    case Mode::Test:
        if (word.text == "]]" && !word.quoted)
            list.mode = Mode::Command;
        return;
    case Mode::FunctionName:
        Define(word.text);
        list.mode = Mode::Command;
        return;
    case Mode::Command:
        break;
    }
    if (list.command.words.empty()) {
        if (IsAssignment(word)) {
            if (word.text.ends_with('=') && At(i) == '(')
                SkipArray();
            return;
        }
        if (HandleKeyword(list, word))
            return;
    }
    list.command.words.push_back(std::move(word));
}

// A reserved word where a command may begin: it changes what the next words are.
bool ShellReader::HandleKeyword(List& list, const ShellWord& word) {
    if (!IsKeyword(word))
        return false;
    const std::string& w = word.text;
    if (w == "{") {
        frames.push_back(pendingFunction);
        pendingFunction = -1;
    } else if (w == "}") {
        if (!frames.empty())
            frames.pop_back();
    } else if (w == "case") {
        ++list.cases;
        list.mode = Mode::CaseSubject;
    } else if (w == "esac") {
        list.cases = std::max(0, list.cases - 1);
    } else if (w == "for" || w == "select") {
        list.mode = Mode::ForWords;
    } else if (w == "[[") {
        list.mode = Mode::Test;
    } else if (w == "function") {
        list.mode = Mode::FunctionName;
    }
    return true;
}

void ShellReader::Finish(List& list) {
    if (list.command.words.empty())
        return;
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame)
        if (*frame >= 0) {
            list.command.function = *frame;
            break;
        }
    list.command.scope = scope;
    list.command.nested = nested;
    out.push_back(std::move(list.command));
    list.command = ShellCommand();
    ReadNestedScripts(out.back());
}

// The texts a command hands to another shell: bash -c TEXT (anywhere in the command, so
// behind any wrapper), trap TEXT and eval WORDS.
void ShellReader::ReadNestedScripts(const ShellCommand& command) {
    const std::vector<ShellWord> words = command.words; // out may grow while reading
    for (std::size_t k = 0; k < words.size(); ++k) {
        if (words[k].expanded || kShells.count(BaseName(words[k].text)) == 0)
            continue;
        bool text = false;
        std::size_t j = k + 1;
        for (; j < words.size() && words[j].text.starts_with('-'); ++j) {
            text = text || (words[j].text.find('c') != std::string::npos &&
                            !words[j].text.starts_with("--"));
            if (words[j].text == "-o")
                ++j;
        }
        if (text && j < words.size())
            ReadNested(words[j].text, words[j].line, true);
    }
    const std::string& first = words[0].text;
    if (first == "trap" && words.size() > 1 && !words[1].text.starts_with('-'))
        ReadNested(words[1].text, words[1].line, false);
    if (first == "eval") {
        std::string joined;
        for (std::size_t k = 1; k < words.size(); ++k)
            joined += words[k].text + " ";
        ReadNested(joined, words[0].line, false);
    }
}

void ShellReader::ReadNested(const std::string& text, int firstLine, bool newShell) {
    std::vector<ShellCommand> commands;
    if (newShell)
        ShellReader(text, firstLine, commands, scopes, true).Read();
    else
        ShellReader(text, firstLine, commands, *this).Read();
    for (ShellCommand& command : commands)
        out.push_back(std::move(command));
}

ShellWord ShellReader::ReadWord() {
    ShellWord word;
    word.line = line;
    bool bare = true; // still typed bare from the start
    while (i < s.size() && !IsMeta(s[i])) {
        const char c = s[i];
        if (c == '\\') {
            if (At(i + 1) == '\n') {
                ++line;
            } else if (i + 1 < s.size()) {
                word.text += s[i + 1];
                word.quoted = true;
            }
            i = std::min(i + 2, s.size());
        } else if (c == '\'') {
            ReadSingleQuoted(word);
        } else if (c == '"') {
            ReadDoubleQuoted(word);
        } else if (c == '$') {
            ReadDollar(word, false);
        } else if (c == '`') {
            ReadBackquoted(word);
        } else {
            word.text += c;
            ++i;
        }
        bare = bare && !word.quoted && !word.expanded;
        if (bare)
            word.plainPrefix = word.text.size();
    }
    static const std::regex variable(R"(^\$([A-Za-z_][A-Za-z0-9_]*|\{[A-Za-z_][A-Za-z0-9_]*\})$)");
    word.bareVariable = !word.quoted && std::regex_match(word.text, variable);
    return word;
}

void ShellReader::ReadSingleQuoted(ShellWord& word) {
    const std::size_t end = std::min(s.find('\'', i + 1), s.size());
    const std::string_view text = s.substr(i + 1, end - i - 1);
    line += int(std::count(text.begin(), text.end(), '\n'));
    word.text += text;
    word.quoted = true;
    i = std::min(end + 1, s.size());
}

void ShellReader::ReadDoubleQuoted(ShellWord& word) {
    word.quoted = true;
    ++i;
    while (i < s.size() && s[i] != '"') {
        const char c = s[i];
        if (c == '\\' && std::strchr("$`\"\\\n", At(i + 1)) != nullptr && At(i + 1) != '\0') {
            if (At(i + 1) == '\n')
                ++line;
            else
                word.text += s[i + 1];
            i += 2;
        } else if (c == '$') {
            ReadDollar(word, true);
        } else if (c == '`') {
            ReadBackquoted(word);
        } else {
            line += c == '\n' ? 1 : 0;
            word.text += c;
            ++i;
        }
    }
    i = std::min(i + 1, s.size());
}

// $'...', $"...", $((...)), $(...), ${...}, $name and $1: all but the first two are
// expansions, kept as written. A command substitution is read as the list it is.
void ShellReader::ReadDollar(ShellWord& word, bool inQuotes) {
    const std::size_t start = i;
    const char next = At(i + 1);
    if (next == '\'' && !inQuotes) {
        ReadAnsiQuoted(word);
        return;
    }
    if (next == '"' && !inQuotes) {
        ++i;
        ReadDoubleQuoted(word);
        return;
    }
    if (next == '(' && At(i + 2) == '(') {
        ++i;
        SkipBalanced('(', ')');
    } else if (next == '(') {
        i += 2;
        ReadList(true);
    } else if (next == '{') {
        ++i;
        SkipBalanced('{', '}');
    } else if (IsNameStart(next)) {
        for (++i; IsNameChar(At(i));)
            ++i;
    } else if (next != '\0' && std::strchr("@*#?$!-0123456789", next) != nullptr) {
        i += 2;
    } else {
        word.text += '$';
        ++i;
        return;
    }
    word.text += s.substr(start, i - start);
    word.expanded = true;
}

void ShellReader::ReadAnsiQuoted(ShellWord& word) {
    static const std::map<char, char> escapes = {{'n', '\n'}, {'t', '\t'}, {'r', '\r'},
                                                 {'a', '\a'}, {'b', '\b'}, {'e', '\x1b'},
                                                 {'f', '\f'}, {'v', '\v'}};
    word.quoted = true;
    for (i += 2; i < s.size() && s[i] != '\''; ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            word.text += s[i];
            continue;
        }
        const char c = s[++i];
        const int base = c == 'x' ? 16 : (c >= '0' && c <= '7' ? 8 : 0);
        if (base == 0) {
            const auto escape = escapes.find(c);
            word.text += escape != escapes.end() ? escape->second : c;
            continue;
        }
        const std::size_t from = c == 'x' ? i + 1 : i;
        std::size_t end = from;
        while (end < s.size() && end - from < (base == 16 ? 2u : 3u) &&
               std::isxdigit(static_cast<unsigned char>(s[end])) && (base == 16 || s[end] < '8'))
            ++end;
        if (end == from) { // \x with no digits stays as written
            word.text += std::string("\\") + c;
            continue;
        }
        word.text += char(std::stoi(std::string(s.substr(from, end - from)), nullptr, base));
        i = end - 1;
    }
    i = std::min(i + 1, s.size());
}

void ShellReader::ReadBackquoted(ShellWord& word) {
    std::string inner;
    std::size_t k = i + 1;
    for (; k < s.size() && s[k] != '`'; ++k) {
        if (s[k] == '\\' && k + 1 < s.size() && std::strchr("$`\\", s[k + 1]) != nullptr)
            ++k;
        inner += s[k];
    }
    ReadNested(inner, line, false);
    line += int(std::count(inner.begin(), inner.end(), '\n'));
    word.text += s.substr(i, k + 1 - i);
    word.expanded = true;
    i = std::min(k + 1, s.size());
}

// From an opening bracket at i to just past its match; quotes inside are passed over.
void ShellReader::SkipBalanced(char open, char close) {
    int depth = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = s.find(c, i + 1);
            i = end == std::string_view::npos ? s.size() : end + 1;
            continue;
        }
        line += c == '\n' ? 1 : 0;
        depth += c == open ? 1 : (c == close ? -1 : 0);
        ++i;
        if (depth == 0)
            return;
    }
}

// NAME=( ... ): the elements are words, with comments and lines between them.
void ShellReader::SkipArray() {
    for (++i; i < s.size() && s[i] != ')';) {
        if (s[i] == '#') {
            while (i < s.size() && s[i] != '\n')
                ++i;
        } else if (std::isspace(static_cast<unsigned char>(s[i]))) {
            line += s[i] == '\n' ? 1 : 0;
            ++i;
        } else if (IsMeta(s[i])) {
            ++i;
        } else {
            ReadWord();
        }
    }
    i = std::min(i + 1, s.size());
}

} // namespace

std::vector<ShellCommand> ReadShell(std::string_view text, int firstLine, ShellScopes& scopes) {
    std::vector<ShellCommand> commands;
    ShellReader(text, firstLine, commands, scopes, false).Read();
    return commands;
}

void ProgramScan::AddScript(const std::string& file, std::string_view text) {
    m_scripts.push_back({file, ReadShell(text, 1, m_scopes)});
}

// The names C++ starts: the first word of a string literal handed straight to a call
// that runs or looks up a program.
void ProgramScan::AddSource(const std::string& file, std::string_view text) {
    static const std::regex call(
        R"(\b(start|startDetached|setProgram|execute|findExecutable|system|popen|execlp|execvp)\s*\(\s*"([^"\\ ]+))");
    const std::string source(text);
    for (auto it = std::sregex_iterator(source.begin(), source.end(), call);
         it != std::sregex_iterator(); ++it) {
        const std::string program = (*it)[2];
        if (program.find('/') != std::string::npos)
            continue;
        const auto before = source.begin() + it->position();
        m_sourceCalls.push_back({program, file, 1 + int(std::count(source.begin(), before, '\n'))});
    }
}

// A function or script runs its arguments when "$@" stands where a command begins; the
// shifts before it say how many of them it drops first.
ProgramScan::Wrappers ProgramScan::FindWrappers() const {
    std::map<std::pair<std::string, int>, int> shifts; // by script, and definition or -1
    std::set<std::pair<std::string, int>> runners;
    for (const Script& script : m_scripts) {
        for (const ShellCommand& command : script.commands) {
            if (command.nested && command.function < 0)
                continue; // a bash -c text's "$@" is that shell's
            const auto key = std::make_pair(BaseName(script.file), command.function);
            const std::vector<ShellWord>& words = command.words;
            if (words[0].text == "$@" || words[0].text == "${@}")
                runners.insert(key);
            if (words[0].text == "shift" && !words[0].quoted)
                shifts[key] += words.size() > 1 ? std::atoi(words[1].text.c_str()) : 1;
        }
    }
    Wrappers wrappers;
    for (const auto& key : runners) {
        if (key.second < 0)
            wrappers.scripts[key.first] = shifts[key];
        else
            wrappers.functions[key.second] = shifts[key];
    }
    return wrappers;
}

std::vector<ProgramCall> ProgramScan::Calls() const {
    const Wrappers wrappers = FindWrappers();
    std::vector<ProgramCall> calls;
    for (const Script& script : m_scripts)
        for (const ShellCommand& command : script.commands)
            Analyze(script, command, wrappers, calls);
    calls.insert(calls.end(), m_sourceCalls.begin(), m_sourceCalls.end());
    return calls;
}

// Walks a command from its first word: past builtins and wrappers that run what follows
// them, to the program it starts, if any.
void ProgramScan::Analyze(const Script& script, const ShellCommand& command,
                          const Wrappers& wrappers, std::vector<ProgramCall>& calls) const {
    const std::vector<ShellWord>& words = command.words;
    std::size_t k = 0;
    while (k < words.size()) {
        const ShellWord& word = words[k];
        const std::string& name = word.text;
        if (word.bareVariable) { // `$sudo apt-get`: the variable may be empty
            ++k;
            continue;
        }
        if (word.expanded || name.find('/') != std::string::npos) {
            // The project's own file, or one a variable names; a wrapper script runs
            // what follows it.
            const std::string base = BaseName(name);
            const auto script = wrappers.scripts.find(base);
            if (script == wrappers.scripts.end() || base.find('$') != std::string::npos)
                return;
            k += 1 + std::size_t(script->second);
            continue;
        }
        if (name == "exec" || name == "command" || name == "builtin") {
            if (name == "command" && k + 1 < words.size() &&
                (words[k + 1].text == "-v" || words[k + 1].text == "-V"))
                return; // asks where a program is, and runs nothing
            for (++k; k < words.size() && words[k].text.starts_with('-'); ++k)
                k += words[k].text == "-a" ? 1 : 0;
            continue;
        }
        if (name.empty() || kBuiltins.count(name) != 0 || kKeywords.count(name) != 0)
            return;
        if (const int definition = FindDefinition(name, command); definition >= 0) {
            const auto function = wrappers.functions.find(definition);
            if (function == wrappers.functions.end())
                return;
            k += 1 + std::size_t(function->second);
            continue;
        }
        calls.push_back({name, script.file, word.line});
        if (kRunners.count(name) == 0)
            return;
        const auto values = kRunnerValues.find(name);
        for (++k; k < words.size() && IsRunnerArgument(words[k]); ++k)
            if (values != kRunnerValues.end() && values->second.count(words[k].text) != 0)
                ++k;
    }
}

// The function a command calls by a name: one its own text defines, else, in a script's
// body, one any script's body defines (a library it may source).
int ProgramScan::FindDefinition(const std::string& name, const ShellCommand& command) const {
    int found = -1;
    for (std::size_t d = 0; d < m_scopes.definitions.size(); ++d) {
        const ShellScopes::Definition& definition = m_scopes.definitions[d];
        if (definition.name != name)
            continue;
        if (definition.scope == command.scope)
            return int(d);
        if (found < 0 && !command.nested && !definition.nested)
            found = int(d);
    }
    return found;
}
