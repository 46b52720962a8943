#include "ui/main_window.h"

namespace {
LRESULT onDestroy() {
    PostQuitMessage(0);
    return 0;
}
}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY: return onDestroy();
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
