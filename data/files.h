// Whole-file helpers. Paths are UTF-16; contents are raw bytes.
#pragma once

#include <optional>
#include <string>

std::optional<std::string> readWholeFile(const std::u16string& path);
bool writeWholeFile(const std::u16string& path, const std::string& bytes);
// Writes path + ".tmp", flushes it to disk, then moves it over path.
// A failed write leaves the old file untouched.
bool saveFileAtomically(const std::u16string& path, const std::string& bytes);
