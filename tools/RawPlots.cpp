#include "RawPlots.h"

#include <cmath>
#include <cstring>

namespace {

// The line that starts at `at`, without its LF and a CR before it; `at` moves past it.
QByteArray NextLine(const QByteArray& bytes, qsizetype& at) {
    qsizetype lf = bytes.indexOf('\n', at);
    if (lf < 0)
        lf = bytes.size();
    QByteArray line = bytes.mid(at, lf - at);
    at = std::min(lf + 1, bytes.size());
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// The text after "KEY:" when the line begins with it, letters in either case.
bool Field(const QByteArray& line, const char* key, QByteArray& value) {
    const auto length = qsizetype(std::strlen(key));
    if (line.size() < length || qstrnicmp(line.constData(), key, size_t(length)) != 0)
        return false;
    value = line.mid(length).trimmed();
    return true;
}

bool Number(const QByteArray& text, double& value) {
    bool ok = false;
    value = text.toDouble(&ok);
    return ok;
}

// One ASCII value: a number, or "real,imaginary" where the plot is complex.
bool AsciiValue(const QByteArray& token, bool complex, std::vector<double>& values) {
    double re = 0;
    double im = 0;
    if (!complex) {
        if (!Number(token, re))
            return false;
        values.push_back(re);
        return true;
    }
    const qsizetype comma = token.indexOf(',');
    if (comma < 0 || !Number(token.left(comma), re) || !Number(token.mid(comma + 1), im))
        return false;
    values.push_back(re);
    values.push_back(im);
    return true;
}

// The points of an ASCII plot from `at`: each an index, then one value a variable, blanks and
// line ends between. A point cut short is dropped, and `at` left at the line that stopped it.
void ReadAsciiPoints(const QByteArray& bytes, qsizetype& at, qsizetype points, RawPlot& plot) {
    for (qsizetype point = 0; point < points && at < bytes.size(); ++point) {
        const std::size_t kept = plot.values.size();
        qsizetype wanted = plot.variables.size();
        bool index = true;
        while (wanted > 0 && at < bytes.size()) {
            const qsizetype lineStart = at;
            const QList<QByteArray> tokens = NextLine(bytes, at).simplified().split(' ');
            for (const QByteArray& token : tokens) {
                if (token.isEmpty())
                    continue;
                bool ok = true;
                if (index)
                    token.toLongLong(&ok);
                else if (wanted > 0)
                    ok = AsciiValue(token, plot.complex, plot.values) && wanted--;
                if (!ok) {
                    plot.values.resize(kept);
                    at = lineStart;
                    return;
                }
                index = false;
            }
        }
        if (wanted > 0)
            plot.values.resize(kept);
    }
}

} // namespace

std::vector<RawPlot> ReadRawPlots(const QByteArray& bytes) {
    std::vector<RawPlot> plots;
    qsizetype at = 0;
    while (at < bytes.size()) {
        RawPlot plot;
        qsizetype count = 0;
        qsizetype points = 0;
        bool binary = false;
        bool data = false;
        while (!data && at < bytes.size()) {
            const QByteArray line = NextLine(bytes, at);
            QByteArray value;
            if (Field(line, "Title:", value)) {
                plot.title = value;
            } else if (Field(line, "Plotname:", value)) {
                plot.name = value;
            } else if (Field(line, "Flags:", value)) {
                plot.complex = value.toLower().contains("complex");
            } else if (Field(line, "No. Variables:", value)) {
                count = value.toLongLong();
            } else if (Field(line, "No. Points:", value)) {
                points = value.toLongLong();
            } else if (Field(line, "Variables:", value)) {
                for (qsizetype i = 0; i < count && at < bytes.size(); ++i) {
                    const QList<QByteArray> words = NextLine(bytes, at).simplified().split(' ');
                    if (words.size() >= 3)
                        plot.variables.append(RawVariable{words[1], words[2]});
                }
            } else if (Field(line, "Binary:", value) || Field(line, "Values:", value)) {
                binary = line.at(0) == 'B' || line.at(0) == 'b';
                data = true;
            }
        }
        if (!data || count <= 0 || plot.variables.size() != count || points < 0)
            break;
        if (binary) {
            const qsizetype rowBytes = plot.Width() * qsizetype(sizeof(double));
            const qsizetype whole = std::min(points, (bytes.size() - at) / rowBytes);
            plot.values.resize(std::size_t(whole * plot.Width()));
            std::memcpy(plot.values.data(), bytes.constData() + at, std::size_t(whole * rowBytes));
            at += whole * rowBytes;
        } else {
            ReadAsciiPoints(bytes, at, points, plot);
        }
        plots.push_back(std::move(plot));
    }
    return plots;
}

namespace {

QByteArray Quoted(const QByteArray& text) {
    QByteArray quoted = text;
    return '\'' + quoted.replace('\'', "''") + '\'';
}

QByteArray Value(double value) {
    return std::isfinite(value) ? QByteArray::number(value, 'g', 12) : QByteArray("NaN");
}

// What a value of the plot's point shows: itself, or its magnitude in dB where it is complex.
double Shown(const RawPlot& plot, qsizetype point, qsizetype variable) {
    const std::size_t at = std::size_t(point * plot.Width() + variable * (plot.complex ? 2 : 1));
    if (!plot.complex)
        return plot.values[at];
    const double magnitude = std::hypot(plot.values[at], plot.values[at + 1]);
    return magnitude > 0 ? 20 * std::log10(magnitude) : NAN;
}

QByteArray AxisLabel(const RawVariable& scale) {
    if (scale.type == "time")
        return scale.name + " (s)";
    if (scale.type == "frequency")
        return scale.name + " (Hz)";
    return scale.name;
}

QByteArray PlotScript(const RawPlot& plot, int window, const QByteArray& caption) {
    const QByteArray block = "$kelvo" + QByteArray::number(window);
    QByteArray script = block + " << EOD\n";
    bool positiveScale = true;
    for (qsizetype point = 0; point < plot.Points(); ++point) {
        // The scale is real: of a complex one, the real part.
        const double x = plot.values[std::size_t(point * plot.Width())];
        positiveScale = positiveScale && x > 0;
        script += Value(x);
        for (qsizetype variable = 1; variable < plot.variables.size(); ++variable)
            script += ' ' + Value(Shown(plot, point, variable));
        script += '\n';
    }
    script += "EOD\n";
    // Currents go on the right axis when there is anything else to show on the left.
    bool others = false;
    bool currents = false;
    bool onlyVoltages = true;
    for (qsizetype variable = 1; variable < plot.variables.size(); ++variable) {
        const QByteArray& type = plot.variables[variable].type;
        (type == "current" ? currents : others) = true;
        onlyVoltages = onlyVoltages && (type == "voltage" || type == "current");
    }
    const bool twoAxes = others && currents;
    script += "reset\n";
    script += "set terminal @GPVAL_TERM " + QByteArray::number(window) + " title " +
              Quoted("Scope - " + caption + ": " + plot.name) + "\n";
    script += "set termoption noenhanced\n";
    script += "set title " + Quoted(plot.title) + "\n";
    script += "set grid\nset key outside right top\n";
    script += "set xlabel " + Quoted(AxisLabel(plot.variables[0])) + "\n";
    if (plot.complex && positiveScale)
        script += "set logscale x\n";
    const auto label = [&plot](const char* quantity, const char* unit) {
        return Quoted(QByteArray(quantity) + " (" + (plot.complex ? "dB" : unit) + ")");
    };
    if (!others)
        script += "set ylabel " + label("current", "A") + "\n";
    else if (onlyVoltages)
        script += "set ylabel " + label("voltage", "V") + "\n";
    if (twoAxes)
        script += "set ytics nomirror\nset y2tics\nset y2label " + label("current", "A") + "\n";
    script += "plot ";
    for (qsizetype variable = 1; variable < plot.variables.size(); ++variable) {
        const RawVariable& shown = plot.variables[variable];
        script += (variable == 1 ? block : QByteArray(", ''")) +
                  " using 1:" + QByteArray::number(variable + 1) +
                  (twoAxes && shown.type == "current" ? " axes x1y2" : "") + " with lines title " +
                  Quoted(shown.name);
    }
    script += "\n";
    return script;
}

} // namespace

QByteArray GnuplotScript(const std::vector<RawPlot>& plots, const QByteArray& caption) {
    QByteArray script;
    int window = 0;
    for (const RawPlot& plot : plots)
        if (plot.Points() >= 2 && plot.variables.size() >= 2)
            script += PlotScript(plot, window++, caption);
    return script;
}
