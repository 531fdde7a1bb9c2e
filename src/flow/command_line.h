// The two questions the command line can ask: --help (or -h) and --version, answered wherever
// they stand among the arguments. The commands are in commands.h.
#pragma once

// When an argument asks for the help or the version, writes it to standard output and returns
// true: the run ends there, before any file is opened or created. The first such argument counts.
bool answerCommandLine(int argc, const char* const* argv);
