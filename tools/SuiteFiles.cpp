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

// Whether the line, after any blanks, is the command `word`: the word, then a blank or the
// line's end.
bool IsCommand(const Line& line, const char* word) {
    if (!Begins(line, word))
        return false;
    qsizetype at = 0;
    while (line.text[at] == ' ' || line.text[at] == '\t')
        ++at;
    at += qsizetype(std::strlen(word));
    return at == line.length || line.text[at] == ' ' || line.text[at] == '\t';
}

// The lines that write every plot into `folder`, each ended as `end` ends a line.
QByteArray PlotWriter(const QByteArray& folder, const QByteArray& end) {
    QByteArray lines;
    for (const QByteArray& line :
         {QByteArray("set kelvo_suite_plot = $curplot"), QByteArray("foreach kelvo_suite_p $plots"),
          "write '" + folder + "/{$kelvo_suite_p}.raw' {$kelvo_suite_p}.all", QByteArray("end"),
          QByteArray("setplot $kelvo_suite_plot")})
        lines += line + end;
    return lines;
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

bool HasControlSection(const QByteArray& netlist) {
    for (qsizetype from = 0; from < netlist.size();) {
        const Line line = LineAt(netlist, from);
        if (from > 0 && Begins(line, ".control"))
            return true;
        from += line.length + line.endLength;
    }
    return false;
}

QByteArray WithPlotsWritten(const QByteArray& netlist, const QByteArray& folder) {
    // The last .endc of a section, found first: the writer goes before it.
    qsizetype lastEnd = -1;
    bool inSection = false;
    for (qsizetype from = 0; from < netlist.size();) {
        const Line line = LineAt(netlist, from);
        if (from > 0 && !inSection && Begins(line, ".control"))
            inSection = true;
        else if (inSection && Begins(line, ".endc"))
            inSection = false, lastEnd = from;
        from += line.length + line.endLength;
    }
    QByteArray result;
    result.reserve(netlist.size() + 512);
    inSection = false;
    for (qsizetype from = 0; from < netlist.size();) {
        const Line line = LineAt(netlist, from);
        const QByteArray end = line.endLength > 0 ? QByteArray(line.end, line.endLength) : "\n";
        if (from > 0 && !inSection && Begins(line, ".control")) {
            inSection = true;
        } else if (inSection && Begins(line, ".endc")) {
            inSection = false;
            if (from == lastEnd)
                result += PlotWriter(folder, end);
        } else if (inSection && (IsCommand(line, "quit") || IsCommand(line, "exit"))) {
            result += PlotWriter(folder, end);
        }
        result.append(line.text, line.length + line.endLength);
        from += line.length + line.endLength;
    }
    return result;
}

RawReports TakeRawReports(const QByteArray& output, const QByteArray& folder) {
    RawReports reports;
    reports.output.reserve(output.size());
    const QByteArray prefix = " raw file \"" + folder + '/';
    for (qsizetype from = 0; from < output.size();) {
        const Line line = LineAt(output, from);
        from += line.length + line.endLength;
        const QByteArray text(line.text, line.length);
        const qsizetype at = text.indexOf(prefix);
        const QByteArray kind = text.left(at);
        if (at < 0 || (kind != "binary" && kind != "ASCII") || !text.endsWith('"')) {
            reports.output.append(line.text, line.length + line.endLength);
            continue;
        }
        const QByteArray name = text.mid(at + prefix.size(), text.size() - 1 - at - prefix.size());
        if (!reports.files.contains(name))
            reports.files.append(name);
    }
    return reports;
}
