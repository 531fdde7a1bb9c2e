// The two questions the command line can ask: --help (or -h) and --version. Every other argument
// is ignored.
#pragma once

// When an argument asks for the help or the version, writes it to standard output and returns
// true: the run ends there, before any file is opened or created. The first such argument counts.
bool answerCommandLine(int argc, const char* const* argv);
