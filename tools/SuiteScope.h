#pragma once

#include "SuiteSimulator.h"

// Actions > Scope: the plots of the circuit's last run (NAME.raw) drawn with gnuplot.
bool Scope(const Circuit& circuit);
