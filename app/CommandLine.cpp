#include "CommandLine.h"

#include <cstring>

namespace CommandLine {

bool IsSeparator(char c) {
    return c != '\0' && std::strchr(kSeparators, c) != nullptr;
}

QByteArray NextToken(const QByteArray& text, qsizetype& at, bool* exact) {
    while (at < text.size() && IsSeparator(text[at]) && text[at] != '"')
        ++at;
    QByteArray token;
    bool closed = true;
    if (at < text.size() && text[at] == '"') {
        closed = false;
        for (++at; at < text.size() && !closed; ++at) {
            if (text[at] != '"')
                token += text[at];
            else if (at + 1 < text.size() && text[at + 1] == '"')
                token += text[++at];
            else
                closed = true;
        }
    } else {
        const qsizetype start = at;
        while (at < text.size() && !IsSeparator(text[at]))
            ++at;
        token = text.mid(start, at - start);
    }
    if (exact != nullptr)
        *exact = closed && (at == text.size() || (IsSeparator(text[at]) && text[at] != '"'));
    return token;
}

QByteArray Build(const QByteArrayList& arguments, const FileName& currentDirectory) {
    QByteArrayList parts;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QByteArray argument = arguments[i];
        if (i == 1 && !argument.isEmpty() && !argument.startsWith('/') &&
            !argument.startsWith("~/"))
            argument =
                FileName::FromBytes(currentDirectory.Bytes() + '/' + argument).Cleaned().Bytes();
        bool separated = argument.isEmpty();
        for (char c : argument)
            separated = separated || IsSeparator(c);
        parts << (separated ? '"' + QByteArray(argument).replace('"', "\"\"") + '"' : argument);
    }
    return parts.join(' ');
}

QByteArrayList Arguments(int argc, const char* const* argv) {
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

FileNameList DirectoryOptions(const QByteArrayList& arguments) {
    FileNameList directories;
    for (qsizetype i = 2; i < arguments.size(); ++i)
        if (arguments[i].startsWith("/p") || arguments[i].startsWith("-p"))
            directories << (arguments[i].endsWith('/') && arguments[i].size() > 2
                                ? FileName::FromBytes(arguments[i].mid(2))
                                : FileName::FromBytes(arguments[i].mid(2) + '/'));
    return directories;
}

} // namespace CommandLine
