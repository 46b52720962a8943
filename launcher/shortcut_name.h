// Pure pieces of the shell integration: shortcut names and contents, and the
// taskbar-pin caption test.
#pragma once

#include <functional>
#include <string>

#include "data/files.h"

// The tool name with \ / : * ? " < > | each replaced by _.
std::u16string shortcutFileName(const std::u16string& name);
// The bytes of an Internet shortcut file for the URL.
std::string internetShortcutBytes(const std::u16string& url);
// A context-menu caption that pins to the taskbar (never an unpin caption).
bool isPinCaption(const std::u16string& caption);
// The language-independent verb of the pin command, compared without case.
bool isPinVerb(const std::string& verb);

// The file operations placeShortcut needs (the real ones, or a test's).
struct ShortcutFiles {
    std::function<FileRead(const std::u16string& path)> read;
    std::function<bool(const std::u16string& path)> write;  // writes the new shortcut there
    std::function<bool(const std::u16string& path)> remove;
};
// base + extension, or base + " (n)" + extension for n from 2.
std::u16string numberedShortcutPath(const std::u16string& base, const std::u16string& extension, int n);
// Writes a shortcut without replacing a different file: it goes to the first
// free numbered name, and is taken back when an earlier name already holds the
// very same bytes (the shortcut was there). False when nothing was written.
bool placeShortcut(const std::u16string& base, const std::u16string& extension, const ShortcutFiles& files);
