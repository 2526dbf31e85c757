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

QString NextToken(const QString& text, qsizetype& at) {
    while (at < text.size() && IsSeparator(text[at]) && text[at] != '"')
        ++at;
    if (at >= text.size())
        return {};
    if (text[at] == '"') {
        const qsizetype close = text.indexOf('"', at + 1);
        const qsizetype end = close < 0 ? text.size() : close;
        QString token = text.mid(at + 1, end - at - 1);
        at = close < 0 ? end : end + 1;
        return token;
    }
    const qsizetype start = at;
    while (at < text.size() && !IsSeparator(text[at]))
        ++at;
    return text.mid(start, at - start);
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
        parts << (separated ? '"' + QString(argument).remove('"') + '"' : argument);
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
