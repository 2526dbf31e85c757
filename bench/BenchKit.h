#pragma once

// What the benchmarks share: their deterministic data, timing, memory and reporting.

#include <cstdint>
#include <functional>
#include <string>

#include "StoreDocument.h"

// A document that allows every edit and asks nothing; messages go to standard error.
class SilentDocument : public StoreDocument {
public:
    bool AllowEdit() override { return true; }
    void SetModifiedFlag(bool) override {}
    void TextChanging() override {}
    void TextChanged(const TextChange&) override {} // nothing shows the text
    void ShowMessage(std::string_view text, StoreIcon) override;
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

inline constexpr char kMarker[] = "MARKER_7QX";
inline constexpr int kMarkers = 1000;

// About 62 bytes a line of simulator output: CR LF lines of tab-separated numbers with a
// page header every 60 lines, and kMarker on kMarkers lines spread through the file.
std::string MakeOutput(std::int64_t lines);
// Writes MakeOutput(lines) to path.
void WriteOutputFile(const std::string& path, std::int64_t lines);

// --dir DIR (where the scratch file goes, /tmp), --lines N (1,700,000), --large for the
// rows on a 1 GB file, and --only WORD (run only the parts whose name holds WORD, besides
// the figures every run needs).
struct BenchOptions {
    std::string dir = "/tmp";
    std::int64_t lines = 1'700'000;
    bool large = false;
    std::string only;

    [[nodiscard]] bool Runs(const std::string& part) const {
        return only.empty() || part.find(only) != std::string::npos;
    }
};
BenchOptions ParseOptions(int argc, char** argv);

double Now(); // milliseconds
// The best of several runs, in milliseconds.
double Best(int runs, const std::function<void()>& body);
long ResidentBytes();
// The process's peak resident memory (VmHWM); 0 where it cannot be read.
long PeakResidentBytes();
// Lowers that peak to what is resident now; false where the kernel does not allow it.
bool ResetPeak();

// Prints one figure against its reference and counts the target as met or missed.
void Report(const char* what, double value, double reference, double target,
            const char* unit = "ms");
// "N passed, N failed"; returns the process's exit code.
int ReportTotals();
