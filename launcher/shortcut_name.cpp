#include "launcher/shortcut_name.h"

std::u16string shortcutFileName(const std::u16string& name) { return name; }
std::string internetShortcutBytes(const std::u16string&) { return {}; }
bool isPinCaption(const std::u16string&) { return false; }
bool isPinVerb(const std::string&) { return false; }
