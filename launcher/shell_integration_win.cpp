#include "launcher/shell_integration.h"

#include <shellapi.h>
#include <shlobj.h>

#include "data/files.h"
#include "data/ui_text_ids.h"
#include "launcher/launch_command.h"
#include "launcher/shortcut_name.h"
#include "launcher/tool_resolution.h"
#include "platform/platform.h"
#include "platform/win_handles.h"
#include "platform/win_system_library.h"
#include "platform/win_text.h"

namespace {

const ToolRecord* toolAt(const std::vector<ToolRecord>& catalog, int64_t index) {
    if (index < 0 || static_cast<uint64_t>(index) >= catalog.size()) return nullptr;
    return &catalog[static_cast<size_t>(index)];
}

void showMessage(HWND owner, const ShellTextLookup& lookup, int textId, UINT icon) {
    const std::u16string text = lookup ? lookup(textId) : std::u16string();
    const std::u16string title = lookup ? lookup(0) : std::u16string();
    MessageBoxW(owner, wstr(text), wstr(title), icon);
}

bool writeShellLink(const ToolRecord& tool, const std::u16string& linkPath) {
    const LaunchCommand command = buildLaunchCommand(tool);
    if (command.file.empty()) return false;
    const std::u16string target = resolveOnSearchPath(command.file);
    ScopedComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.out())))) {
        return false;
    }
    link->SetPath(wstr(target));
    if (!command.parameters.empty()) link->SetArguments(wstr(command.parameters));
    const std::u16string directory = parentDirectory(target);
    if (!directory.empty()) link->SetWorkingDirectory(wstr(directory));
    link->SetDescription(wstr(tool.name));
    link->SetIconLocation(wstr(target), 0);
    ScopedComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) return false;
    return SUCCEEDED(file->Save(wstr(linkPath), TRUE));
}

bool invokeMenuCommand(IContextMenu* menu, UINT id) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(id - 1);
    info.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(menu->InvokeCommand(&info));
}

// Runs the item's own pin command: the "taskbarpin" verb, else the first pin caption.
bool pinThroughContextMenu(IContextMenu* menu) {
    HMENU popup = CreatePopupMenu();
    if (!popup) return false;
    bool pinned = false;
    if (SUCCEEDED(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL))) {
        UINT candidate = 0;
        const int count = GetMenuItemCount(popup);
        for (int position = 0; position < count && !pinned; ++position) {
            const UINT id = GetMenuItemID(popup, position);
            if (id == 0 || id == static_cast<UINT>(-1)) continue;
            char verb[128] = {};
            if (SUCCEEDED(menu->GetCommandString(id - 1, GCS_VERBA, nullptr, verb, 127)) && isPinVerb(verb)) {
                pinned = invokeMenuCommand(menu, id);
                if (pinned) break;
            }
            if (candidate == 0) {
                wchar_t caption[256] = {};
                GetMenuStringW(popup, static_cast<UINT>(position), caption, 255, MF_BYPOSITION);
                if (isPinCaption(fromWide(caption))) candidate = id;
            }
        }
        if (!pinned && candidate != 0) pinned = invokeMenuCommand(menu, candidate);
    }
    DestroyMenu(popup);
    return pinned;
}

bool pinFile(const std::u16string& target) {
    PIDLIST_ABSOLUTE idList = nullptr;
    if (FAILED(SHParseDisplayName(wstr(target), nullptr, &idList, 0, nullptr)) || !idList) return false;
    bool pinned = false;
    ScopedComPtr<IShellFolder> folder;
    PCUITEMID_CHILD child = nullptr;
    if (SUCCEEDED(SHBindToParent(idList, IID_IShellFolder, reinterpret_cast<void**>(folder.out()), &child))) {
        ScopedComPtr<IContextMenu> menu;
        if (SUCCEEDED(folder->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr,
                                            reinterpret_cast<void**>(menu.out())))) {
            pinned = pinThroughContextMenu(menu.ptr);
        }
    }
    CoTaskMemFree(idList);
    return pinned;
}

}  // namespace

std::u16string desktopFolder() {
    PWSTR path = nullptr;
    std::u16string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &path)) && path) folder = fromWide(path);
    CoTaskMemFree(path);
    return folder;
}

bool writeToolShortcut(const ToolRecord& tool, const std::u16string& folder) {
    if (folder.empty()) return false;
    const std::u16string base = joinToolPath(folder, shortcutFileName(tool.name));
    ShortcutFiles files;
    files.read = readFile;
    files.remove = platform::removeFile;
    if (tool.type == ToolType::Url) {
        const std::string bytes = internetShortcutBytes(tool.path.empty() ? tool.fileName : tool.path);
        files.write = [&bytes](const std::u16string& path) { return writeWholeFile(path, bytes); };
        return placeShortcut(base, u".url", files);
    }
    files.write = [&tool](const std::u16string& path) { return writeShellLink(tool, path); };
    return placeShortcut(base, u".lnk", files);
}

void openFileLocation(const std::vector<ToolRecord>& catalog, int64_t index) {
    const ToolRecord* tool = toolAt(catalog, index);
    if (!tool) return;
    const std::u16string path = resolveToolFile(*tool);
    if (path.empty()) return;
    const std::u16string parameters = u"/select,\"" + path + u"\"";
    const std::u16string windows = platform::windowsDir();
    if (windows.empty()) return;
    const std::u16string explorer = joinToolPath(windows, u"explorer.exe");
    ShellExecuteW(nullptr, L"open", wstr(explorer), wstr(parameters), nullptr, SW_SHOWNORMAL);
}

void addDesktopShortcut(HWND owner, const std::vector<ToolRecord>& catalog, int64_t index,
                        const ShellTextLookup& text) {
    const ToolRecord* tool = toolAt(catalog, index);
    if (!tool) return;
    const bool written = writeToolShortcut(*tool, desktopFolder());
    showMessage(owner, text, written ? kTextShortcutCreated : kTextShortcutFailed,
                written ? MB_ICONINFORMATION : MB_ICONWARNING);
}

void addStartMenuShortcut(HWND owner, const std::vector<ToolRecord>& catalog, int64_t index,
                          const ShellTextLookup& text) {
    const ToolRecord* tool = toolAt(catalog, index);
    if (!tool) return;
    PWSTR path = nullptr;
    std::u16string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &path)) && path) folder = fromWide(path);
    CoTaskMemFree(path);
    const bool written = writeToolShortcut(*tool, folder);
    showMessage(owner, text, written ? kTextStartMenuShortcutCreated : kTextShortcutFailed,
                written ? MB_ICONINFORMATION : MB_ICONWARNING);
}

bool systemCanPinToTaskbar() {
    OSVERSIONINFOW version;
    return trueWindowsVersion(version) && version.dwMajorVersion < 10;
}

void pinToTaskbar(HWND owner, const std::vector<ToolRecord>& catalog, int64_t index, const ShellTextLookup& text) {
    const ToolRecord* tool = toolAt(catalog, index);
    if (!tool) return;
    bool pinned = false;
    if (tool->type != ToolType::Url) {
        const std::u16string target = resolveOnSearchPath(buildLaunchCommand(*tool).file);
        if (!target.empty() && platform::fileExists(target)) pinned = pinFile(target);
    }
    if (pinned) {
        showMessage(owner, text, kTextPinned, MB_ICONINFORMATION);
        return;
    }
    showMessage(owner, text, kTextPinBlocked, MB_ICONINFORMATION);
    openFileLocation(catalog, index);
}
