#pragma once

#include <string>

#include "logic/fuse_map.h"
#include "platform/text_file.h"
#include "platform/ui_services.h"

namespace zl {

// Loads the fuse list that starts at fuse 0 of a JEDEC file into `fuses`.
// Only the header line "*L00000" and the 536 reads after it (four reads of
// at most 80 characters per row) are looked at; everything else is ignored.
// Writes its status text, shows its own failure box and returns whether all
// 134 rows were read. The previous contents of `fuses` are discarded on
// every path. A read error escapes as FileError with the wait cursor ended.
bool ReadJedecFile(UiServices& ui, const std::string& path, FuseMap& fuses);

// The same over an already opened text (tests, fuzzing); cannot fail to open.
bool ReadJedecFile(UiServices& ui, LineReader& reader, FuseMap& fuses);

}  // namespace zl
