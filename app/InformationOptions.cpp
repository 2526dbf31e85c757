#include "InformationOptions.h"

#include <cstring>
#include <string>

#include "KelvoVersion.h"

namespace InformationOptions {

namespace {

constexpr char kHelp[] =
    R"(Usage: kelvo [FILE [/pDIR]...]
       kelvo --help | --version

Kelvo edits SPICE circuit netlists (.cir) and the files a simulation leaves
beside them (.ckt, .err, .out, .tmp). One editor runs per user: a second start
hands its command line to the running editor and ends.

Arguments:
  FILE        the file to open (a simulation output, .out, opens read-only); a
              name without a folder is looked for in the current folder.
  /pDIR       (or -pDIR) after FILE: a folder that files named without one are
              also looked for in, such as a netlist's includes; may be repeated.
  --help      print this help and exit.
  --version   print the version and exit.

Environment:
  KELVO_SHARE_BLOCK  the name of the block shared with the simulation suite
                     (default /orva_shared_memory.UID, in /dev/shm).
  KVDIR              the folder of the preference file kelvo.prf
                     (default ~/.config/kelvo).

Preferences are read from kelvo.prf in that folder, else from the program's own
folder, else from ../share/kelvo beside it (the installed default).

Exit status:
  0  the editor ended, or the running editor took this command line;
  1  the shared block cannot be opened, or was cut short during the hand-off;
  2  the command line is too long to hand to the running editor;
  3  the running editor has not taken an earlier command line;
  4  the running editor did not take this one within 10 seconds.

With the simulation suite's side running (kelvo-suite watch FILE.cir),
Actions > Simulate (Ctrl+G) runs ngspice on the circuit and shows its output.
See kelvo(1) and kelvo-suite(1).
)";

const std::string kVersionLine = std::string("kelvo ") + kKelvoVersion + "\n";

} // namespace

const char* TextFor(int argc, const char* const* argv) {
    if (argc < 2 || argv[1] == nullptr)
        return nullptr;
    if (std::strcmp(argv[1], "--help") == 0)
        return kHelp;
    if (std::strcmp(argv[1], "--version") == 0)
        return kVersionLine.c_str();
    return nullptr;
}

} // namespace InformationOptions
