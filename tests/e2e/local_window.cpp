#include "tests/e2e/local_window.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <utility>

#include "tests/e2e/exe_process.h"
#include "platform/win_text.h"
#include "ui/main_state.h"
#include "ui/main_window.h"

void pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (takeMainWindowKey(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

std::wstring appDataFile(const wchar_t* name) {
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder))) {
        path = std::wstring(folder) + L"\\Toolkeep\\" + name;
    }
    CoTaskMemFree(folder);
    return path;
}

std::string fileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

KeptFile::KeptFile(std::wstring where) : path(std::move(where)) {
    existed = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (existed) bytes = fileBytes(path);
}

KeptFile::~KeptFile() {
    if (existed) {
        std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
    } else {
        DeleteFileW(path.c_str());
    }
}

std::wstring windowText(HWND window) {
    const int length = int(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(size_t(length) + 1, L'\0');
    SendMessageW(window, WM_GETTEXT, WPARAM(length + 1), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(size_t(length));
    return text;
}

std::vector<std::wstring> popupMenuLabels(const std::function<void()>& open) {
    static std::vector<std::wstring> captured;  // a timer procedure takes no state of its own
    captured.clear();
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND popup = FindWindowW(L"#32768", nullptr);
        HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            wchar_t text[256] = {};
            GetMenuStringW(menu, UINT(i), text, 256, MF_BYPOSITION);
            captured.push_back(text);
        }
        EndMenu();
    });
    open();
    return captured;
}

void useTheExesDataPacks() {
    static bool done = false;
    if (done) return;
    done = true;
    HMODULE exe = LoadLibraryExW(toolkeepExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!exe) return;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"toolkeep-e2e-packs";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::pair<int, const wchar_t*> packs[] = {
        {101, L"builtin-tools.json"}, {102, L"external-tools.json"}, {103, L"playbooks.json"}};
    for (const auto& pack : packs) {
        HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(pack.first), MAKEINTRESOURCEW(10));  // RT_RCDATA
        HGLOBAL loaded = found ? LoadResource(exe, found) : nullptr;
        if (!loaded) continue;
        std::ofstream out((folder + L"\\" + pack.second).c_str(), std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(LockResource(loaded)), std::streamsize(SizeofResource(exe, found)));
    }
    FreeLibrary(exe);
    SetEnvironmentVariableW(L"TOOLKEEP_DATA_DIR", folder.c_str());
}

HWND createLocalMainWindow(int x, int y, DWORD settleMilliseconds) {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registered) {
        INITCOMMONCONTROLSEX controls = {
            sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = mainWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kMainWindowClass;
        registered = RegisterClassExW(&windowClass) != 0;
    }
    HWND window = CreateWindowExW(0, kMainWindowClass, L"Wrenly", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, 1320,
                                  840, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    pump(settleMilliseconds);
    return window;
}

void destroyLocalMainWindow(HWND window) {
    if (window) DestroyWindow(window);
    pump(100);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

// The pixels the control's font draws for the text in black on white.
std::vector<uint32_t> drawnPixels(HWND control, const std::u16string& text, HFONT font) {
    constexpr int kWidth = 96, kHeight = 40;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(control);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font ? font : reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 4, 4, reinterpret_cast<const wchar_t*>(text.c_str()), int(text.size()));
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + kWidth * kHeight);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(control, screen);
    return pixels;
}

void WindowFixture::SetUp() {
    for (const KeptFile* file : {&config, &cmdHistory, &powerShellHistory}) DeleteFileW(file->path.c_str());
    useTheExesDataPacks();
    open();
}

void WindowFixture::open() {
    window = createLocalMainWindow(CW_USEDEFAULT, CW_USEDEFAULT, 200);
    state = mainStateOf(window);
    ASSERT_NE(state, nullptr);
    ASSERT_FALSE(state->terminals.terminals.empty());
}

void WindowFixture::close() {
    if (window) destroyLocalMainWindow(window);
    window = nullptr;
    state = nullptr;
}

void WindowFixture::submit(const std::u16string& line) {
    replaceInput(cmd(), line);
    submitInput(cmd());
}

std::u16string WindowFixture::activityText() const { return fromWide(windowText(state->activity.window).c_str()); }

int64_t WindowFixture::catalogIndex(const std::u16string& id) const {
    for (size_t i = 0; i < state->catalog.tools.size(); ++i) {
        if (state->catalog.tools[i].id == id) return int64_t(i);
    }
    return -1;
}

std::u16string lastLineOf(std::u16string text) {
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.pop_back();
    const size_t at = text.find_last_of(u"\r\n");
    return at == std::u16string::npos ? text : text.substr(at + 1);
}

std::u16string tabLabel(HWND tabControl, int index) {
    wchar_t text[256] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(tabControl, TCM_GETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    return fromWide(text);
}
