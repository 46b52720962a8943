#include "launcher/shell_integration.h"

void openFileLocation(const std::vector<ToolRecord>&, int64_t) {}
void addDesktopShortcut(HWND, const std::vector<ToolRecord>&, int64_t) {}
void pinToTaskbar(HWND, const std::vector<ToolRecord>&, int64_t) {}
bool writeToolShortcut(const ToolRecord&, const std::u16string&) { return false; }
std::u16string desktopFolder() { return {}; }
