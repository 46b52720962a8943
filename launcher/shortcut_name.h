// Pure pieces of the shell integration: shortcut names and contents, and the
// taskbar-pin caption test.
#pragma once

#include <string>

// The tool name with \ / : * ? " < > | each replaced by _.
std::u16string shortcutFileName(const std::u16string& name);
// The bytes of an Internet shortcut file for the URL.
std::string internetShortcutBytes(const std::u16string& url);
// A context-menu caption that pins to the taskbar (never an unpin caption).
bool isPinCaption(const std::u16string& caption);
// The language-independent verb of the pin command, compared without case.
bool isPinVerb(const std::string& verb);
