#pragma once

// The plots of a SPICE raw file, as ngspice writes them (binary or ASCII), and the gnuplot
// script that draws them: what Actions > Scope shows of the circuit's last run.

#include <vector>

#include <QByteArray>
#include <QList>

struct RawVariable {
    QByteArray name; // v(out), i(vin), time
    QByteArray type; // voltage, current, time, frequency, ...
};

struct RawPlot {
    QByteArray title; // the circuit's title line
    QByteArray name;  // Transient Analysis, AC Analysis, ...
    bool complex = false;
    QList<RawVariable> variables; // the first is the scale
    // Point after point, each variable's value in turn: one double a value, or two (real,
    // imaginary) where the plot is complex.
    std::vector<double> values;

    [[nodiscard]] qsizetype Width() const { return variables.size() * (complex ? 2 : 1); }
    [[nodiscard]] qsizetype Points() const {
        return Width() == 0 ? 0 : qsizetype(values.size()) / Width();
    }
};

// Every plot of the file in order. A plot whose data ends early keeps the points that are
// whole; what cannot be read as a plot ends the reading.
std::vector<RawPlot> ReadRawPlots(const QByteArray& bytes);

// A gnuplot script that draws each plot of two points or more in a window of its own on
// gnuplot's own terminal, titled "Scope - CAPTION: PLOT NAME", its data held in the script:
// every variable against the scale, voltages on the left axis and currents on the right (both
// in dB where the plot is complex), the scale logarithmic where the plot is complex and the
// scale positive. Empty when no plot has two points.
QByteArray GnuplotScript(const std::vector<RawPlot>& plots, const QByteArray& caption);
