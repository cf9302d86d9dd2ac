#include "frontends/qt/quit_on_signal.h"

namespace zl::qt {

// A Windows desktop program gets no console signals; closing it goes through
// its window.
void InstallQuitOnSignal() {}

int QuitSignal() {
  return 0;
}

}  // namespace zl::qt
