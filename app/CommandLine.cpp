#include "CommandLine.h"

#include <QDir>

#include "FileName.h"

namespace CommandLine {

bool IsSeparator(QChar c) {
    for (const char* s = kSeparators; *s != '\0'; ++s)
        if (c == QLatin1Char(*s))
            return true;
    return false;
}

QString NextToken(const QString& text, qsizetype& at, bool* exact) {
    while (at < text.size() && IsSeparator(text[at]) && text[at] != '"')
        ++at;
    QString token;
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

QString Build(const QStringList& arguments, const QString& currentDirectory) {
    QStringList parts;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (i == 1 && !argument.isEmpty() && !argument.startsWith('/') &&
            !argument.startsWith("~/"))
            argument = QDir::cleanPath(currentDirectory + '/' + argument); // text only
        bool separated = argument.isEmpty();
        for (QChar c : argument)
            separated = separated || IsSeparator(c);
        parts << (separated ? '"' + QString(argument).replace('"', "\"\"") + '"' : argument);
    }
    return parts.join(' ');
}

QStringList Arguments(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << FileNameFromBytes(QByteArray(argv[i]));
    return arguments;
}

QStringList DirectoryOptions(const QStringList& arguments) {
    QStringList directories;
    for (qsizetype i = 2; i < arguments.size(); ++i)
        if (arguments[i].startsWith("/p") || arguments[i].startsWith("-p"))
            directories << (arguments[i].endsWith('/') && arguments[i].size() > 2
                                ? arguments[i].mid(2)
                                : arguments[i].mid(2) + '/');
    return directories;
}

} // namespace CommandLine
