#pragma once

// Finds the programs that shell scripts and C++ sources start, by reading them, never by
// running them: the words a shell looks up on PATH as commands, and the names C++ hands to
// QProcess, system() and their like. Functions the scripts define, builtins, the project's
// own files (a word with a "/") and programs named by a variable are not programs to find.

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct ProgramCall {
    std::string program;
    std::string file;
    int line = 0;
};

// A word of a shell command: its text with the quotes taken off and every expansion kept
// as written, so that a bash -c text can be read again as the script it is.
struct ShellWord {
    std::string text;
    bool quoted = false;         // some of it was quoted or escaped
    bool expanded = false;       // it holds a $ expansion or a command substitution
    bool bareVariable = false;   // it is one unquoted $name or ${name} and nothing else
    std::size_t plainPrefix = 0; // how many of its first bytes were typed bare
    int line = 0;
};

// A simple command: its words without redirections and leading assignments.
struct ShellCommand {
    std::vector<ShellWord> words;
    int function = -1;   // the definition whose body holds it, or -1 in the text's body
    int scope = 0;       // the text read: a script, or a bash -c, trap or eval text in one
    bool nested = false; // read from a bash -c, trap or eval text
};

// The functions the texts read define. A bash -c text is a shell of its own: it knows only
// the functions it defines itself.
struct ShellScopes {
    struct Definition {
        std::string name;
        int scope = 0;
        bool nested = false;
    };
    std::vector<Definition> definitions;
    int count = 0; // texts read so far
};

class ProgramScan {
public:
    void AddScript(const std::string& file, std::string_view text);
    void AddSource(const std::string& file, std::string_view text);

    // Every program called, in the order read. Functions and the scripts that run their
    // arguments as a command ("$@" after so many shifts) are known across all the scripts
    // added, so that a library that is sourced serves every script.
    [[nodiscard]] std::vector<ProgramCall> Calls() const;

private:
    struct Script {
        std::string file;
        std::vector<ShellCommand> commands;
    };
    // Leading words a wrapper drops before it runs the rest, by function definition and by
    // the base name of a script.
    struct Wrappers {
        std::map<int, int> functions;
        std::map<std::string, int> scripts;
    };

    [[nodiscard]] Wrappers FindWrappers() const;
    [[nodiscard]] int FindDefinition(const std::string& name, const ShellCommand& command) const;
    void Analyze(const Script& script, const ShellCommand& command, const Wrappers& wrappers,
                 std::vector<ProgramCall>& calls) const;

    std::vector<Script> m_scripts;
    ShellScopes m_scopes;
    std::vector<ProgramCall> m_sourceCalls;
};

// Reads one shell text into its simple commands. Its function definitions are added to
// `scopes`, and a command's `function` indexes them.
std::vector<ShellCommand> ReadShell(std::string_view text, int firstLine, ShellScopes& scopes);
