#pragma once

#include <cstdio>
#include <string>

namespace zl {

// The command line's contact with its terminal, one implementation per
// operating system.

// Whether a stream is a terminal (progress is then rewritten in place).
bool IsTerminal(std::FILE* stream);

// Catches Ctrl-C (and a request to terminate), so that the run ends in order
// and the port is released. A second Ctrl-C ends the program at once.
void InstallInterruptHandlers();

// Whether an interrupt arrived, and the exit status it calls for (130 for
// Ctrl-C).
bool Interrupted();
int InterruptExitStatus();

// Reads one line typed on the terminal, without its line end. False at the
// end of input, on an error or when interrupted.
bool ReadTerminalLine(std::string& line);

// Sets an environment variable of this process (the COM name mapping reads
// ZETALINK_COMn).
void SetProcessVariable(const std::string& name, const std::string& value);

}  // namespace zl
