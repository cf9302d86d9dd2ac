#pragma once

#include <string>

namespace zl {

// The directory the update files are looked for in: the directory of the
// running executable, ending with a separator; the working directory plays
// no part. Empty when the executable's path cannot be found.
//
// A process-wide override replaces it, for tests and for the command line's
// choice of another directory. This is the only place that setting lives.
std::string ProgramDirectory();

// Sets the override; a separator is added when the text does not end with
// one. The empty text removes the override.
void SetProgramDirectory(const std::string& directory);

}  // namespace zl
