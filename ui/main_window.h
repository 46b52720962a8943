// The main window: its procedure is registered by the entry point, which also
// runs the message loop (keyboard.h) and shows the window (window_placement.h).
// The headers of every part of the window come with it, for whoever drives the
// whole window (the entry point and the in-process tests).
#pragma once

#include <windows.h>

#include "ui/activity.h"
#include "ui/custom_tool_dialogs.h"
#include "ui/help_pages.h"
#include "ui/keyboard.h"
#include "ui/layout.h"
#include "ui/main_state.h"
#include "ui/menus.h"
#include "ui/pages.h"
#include "ui/session_report.h"
#include "ui/settings_change.h"
#include "ui/settings_commands.h"
#include "ui/themed_controls.h"
#include "ui/tool_launch.h"
#include "ui/window_placement.h"
#include "ui/window_start.h"

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
