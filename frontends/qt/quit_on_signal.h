#pragma once

namespace zl::qt {

// Makes the termination requests of the system (Ctrl-C, SIGTERM, a closed
// terminal) end every running event loop with 128 + the signal number, so
// that main() still stops the demo device and returns normally. Returns the
// signal that ended the run, 0 when none did.
void InstallQuitOnSignal();
int QuitSignal();

}  // namespace zl::qt
