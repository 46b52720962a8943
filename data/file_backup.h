// Keeps a file the program cannot read as its own before a save replaces it.
#pragma once

#include <string>

#include "data/json.h"

// When path holds non-empty bytes that do not parse as JSON or fail isUsable,
// copies them to path + ".bad" (replacing an older copy), so that hand edits
// survive the next save. False only when such a copy was needed and failed.
bool keepUnusableFile(const std::u16string& path, bool (*isUsable)(const JsonValue& document));
