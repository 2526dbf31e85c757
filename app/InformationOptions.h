#pragma once

// `kelvo --help` and `kelvo --version`: answered from the bare command line, before any
// window, display or shared block is touched.
namespace InformationOptions {

// What to print when the first argument asks for help or the version; nullptr for every
// other command line, which keeps its meaning (a file, then /p folders). A file whose
// name is one of these options opens as ./--help.
const char* TextFor(int argc, const char* const* argv);

} // namespace InformationOptions
