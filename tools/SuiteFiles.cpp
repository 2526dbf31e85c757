#include "SuiteFiles.h"

#include <cstring>

namespace {

// One line of a text: its bytes without the line end, and the line end (LF, CR LF or
// nothing at the end of the text).
struct Line {
    const char* text;
    qsizetype length;
    const char* end;
    qsizetype endLength;
};

// The line that starts at `from`, which is before the end of `text`.
Line LineAt(const QByteArray& text, qsizetype from) {
    const char* begin = text.constData() + from;
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', size_t(text.size() - from)));
    Line line{begin, (lf != nullptr ? lf : text.constData() + text.size()) - begin, nullptr, 0};
    line.endLength = lf != nullptr ? 1 : 0;
    if (lf != nullptr && line.length > 0 && lf[-1] == '\r') {
        --line.length;
        ++line.endLength;
    }
    line.end = begin + line.length;
    return line;
}

// Whether the line, after any blanks, begins with `word` (lower case), letters in either case.
bool Begins(const Line& line, const char* word) {
    qsizetype at = 0;
    while (at < line.length && (line.text[at] == ' ' || line.text[at] == '\t'))
        ++at;
    const auto length = qsizetype(std::strlen(word));
    return line.length - at >= length && qstrnicmp(line.text + at, word, size_t(length)) == 0;
}

} // namespace

QByteArray CrLfLines(const QByteArray& text) {
    QByteArray result;
    result.reserve(text.size() + text.size() / 16);
    for (qsizetype from = 0; from < text.size();) {
        const Line line = LineAt(text, from);
        const char* begin = line.text;
        const char* end = line.end;
        while (end > begin && end[-1] == '\r')
            --end;
        for (const char* c = begin; c < end; ++c)
            if (*c == '\r')
                begin = c + 1;
        result.append(begin, end - begin);
        result.append("\r\n");
        from += line.length + line.endLength;
    }
    return result;
}

QByteArray WithoutControlSection(const QByteArray& netlist) {
    QByteArray result;
    result.reserve(netlist.size());
    bool inSection = false;
    for (qsizetype from = 0; from < netlist.size();) {
        const Line line = LineAt(netlist, from);
        const bool title = from == 0;
        from += line.length + line.endLength;
        inSection = inSection || (!title && Begins(line, ".control"));
        if (title || (!inSection && !Begins(line, "*#"))) {
            result.append(line.text, line.length + line.endLength);
            continue;
        }
        if (inSection && Begins(line, ".endc"))
            inSection = false;
        result.append('*');
        result.append(line.end, line.endLength);
    }
    return result;
}
