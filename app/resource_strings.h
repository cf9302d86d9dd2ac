#pragma once

#include <string>

namespace zl {

// The program's string table: the text of a string resource, "" when the id
// has none.
std::string LoadResourceString(int stringId);

}  // namespace zl
