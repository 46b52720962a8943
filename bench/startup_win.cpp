// Start-up: a bare Win32 window and toolkeep.exe started alternately, each
// timed from CreateProcess to the moment its window is ready, with the private
// memory of each; run by scripts/bench.sh.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "ui/main_window.h"

namespace {

constexpr DWORD kWait = 30000;

LARGE_INTEGER counterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// As the ready property holds it.
INT_PTR tenthsOfMilliseconds(LARGE_INTEGER counter) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return INT_PTR(double(counter.QuadPart) * 10000.0 / double(frequency.QuadPart));
}

// The same binary doubles as the smallest possible window program for the baseline.
LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int runPlainWindow() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = plainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ToolkeepBaselineWindow";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"baseline", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 1320, 840, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetPropW(window, L"ToolkeepReady", reinterpret_cast<HANDLE>(tenthsOfMilliseconds(counterNow())));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

const bool kBaselineMode = [] {
    if (wcsstr(GetCommandLineW(), L"--plain-window")) ExitProcess(UINT(runPlainWindow()));
    return false;
}();

struct StartupFigure {
    double milliseconds = -1;
    double privateMegabytes = -1;
};

StartupFigure measureStart(const std::wstring& exe, const std::wstring& arguments, const wchar_t* className) {
    StartupFigure figure;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const LARGE_INTEGER begin = counterNow();
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return figure;
    }
    WaitForInputIdle(info.hProcess, kWait);
    ExeProcess process;
    process.info = info;
    process.started = true;
    HWND window = nullptr;
    for (int i = 0; i < 6000 && !window; ++i) {
        window = findProcessWindow(process, className, 0);
        if (!window) Sleep(2);
    }
    if (window) {
        // The moment the window became ready, which each program stores in the property.
        INT_PTR ready = 0;
        while (!(ready = reinterpret_cast<INT_PTR>(GetPropW(window, L"ToolkeepReady")))) Sleep(1);
        figure.milliseconds = double(ready - tenthsOfMilliseconds(begin)) / 10.0;
        Sleep(1500);  // let the shells settle before reading the memory
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof counters)) {
            // Wine leaves PrivateUsage at 0; the committed private bytes are in PagefileUsage there too
            SIZE_T privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
            figure.privateMegabytes = double(privateBytes) / (1024.0 * 1024.0);
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    waitForExit(process, kWait);
    closeProcess(process);
    return figure;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Prints the figures; asserts nothing about speed. Both programs start
// alternately in one run, so a busy moment of the machine falls on both; the
// goal is a median difference of at most 50 ms.
TEST(StartupMeasurement, ReadyWindowAgainstAPlainWindow) {
    KeptFile config{appDataFile(L"config.json")};
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    // 7 rounds, unless TOOLKEEP_STARTUP_ROUNDS asks for more to compare two builds.
    wchar_t asked[16] = {};
    GetEnvironmentVariableW(L"TOOLKEEP_STARTUP_ROUNDS", asked, 16);
    const int rounds = std::max(7, _wtoi(asked));
    std::vector<double> differences, plainMemory, fullMemory;
    for (int round = 0; round < rounds; ++round) {
        StartupFigure plain = measureStart(self, L"--plain-window", L"ToolkeepBaselineWindow");
        StartupFigure full = measureStart(toolkeepExePath(), L"", kMainWindowClass);
        std::printf(
            "round %d: plain window %.1f ms (%.1f MB private), toolkeep %.1f ms (%.1f MB private), "
            "difference %.1f ms\n",
            round + 1, plain.milliseconds, plain.privateMegabytes, full.milliseconds, full.privateMegabytes,
            full.milliseconds - plain.milliseconds);
        EXPECT_GT(full.milliseconds, 0.0);
        differences.push_back(full.milliseconds - plain.milliseconds);
        plainMemory.push_back(plain.privateMegabytes);
        fullMemory.push_back(full.privateMegabytes);
    }
    std::printf(
        "difference: median %.1f ms, range %.1f to %.1f ms; private memory (median): plain window %.1f MB, "
        "toolkeep %.1f MB\n",
        median(differences), *std::min_element(differences.begin(), differences.end()),
        *std::max_element(differences.begin(), differences.end()), median(plainMemory), median(fullMemory));
}

}  // namespace
