// Throughput of a real CMD terminal under a flood of output, run by
// scripts/bench.sh with TOOLKEEP_TERMINAL_BENCH set (megabytes per case, 5 by default).
// Prints figures, asserts nothing about speed.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/files.h"
#include "platform/win_text.h"
#include "terminal/terminal.h"

#include "tests/e2e/message_loop.h"

namespace {

constexpr UINT WM_PROBE = WM_APP + 50;
constexpr DWORD kWaitMs = 15000;
constexpr DWORD kFloodWaitMs = 600000;
// The long case: this many segments of the case size, one command each.
constexpr int kLongSegments = 10;
// Display lines at the end of the text that hold the end marker and the
// prompt after it, however deep the working folder (the control wraps).
constexpr LONG kTailLines = 16;

std::atomic<long long> worstProbeMicros{0};
Terminal* hostedTerminal = nullptr;

long long nowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hostedTerminal && message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == EN_PROTECTED)
        return protectedChangeAnswer(*hostedTerminal);
    if (message == WM_PROBE) {
        long long waited = nowMicros() - static_cast<long long>(lParam);
        if (waited > worstProbeMicros) worstProbeMicros = waited;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int benchMegabytes() {
    wchar_t value[16] = {};
    if (!GetEnvironmentVariableW(L"TOOLKEEP_TERMINAL_BENCH", value, 16)) return 0;
    return _wtoi(value) > 0 ? _wtoi(value) : 5;
}

double threadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](FILETIME time) {
        return double((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

double privateMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof counters))
        return 0;
    // The same figure on Windows; Wine fills in only the second.
    SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return double(bytes) / (1024.0 * 1024.0);
}

// Coloured output comes in two kinds: palette colours, as compilers,
// directory listings and version control print them, and a dense mix of
// 256-colour and 24-bit codes in which nearly every line brings colours of
// its own.
enum class BenchOutput { Plain, Palette, Dense };

void writeBenchFile(const std::u16string& path, BenchOutput kind, size_t bytes, const char* endMarker) {
    std::string out;
    size_t written = 0;
    for (unsigned line = 0; written < bytes; ++line) {
        char text[160];
        int n = 0;
        switch (kind) {
            case BenchOutput::Plain:
                n = std::snprintf(text, sizeof text,
                                  "%06u plain output line of the benchmark, as a long directory listing prints\r\n",
                                  line);
                break;
            case BenchOutput::Palette:
                n = std::snprintf(text, sizeof text,
                                  "\x1b[3%um%06u\x1b[0m \x1b[1;9%umcoloured\x1b[0m output line of the bench "
                                  "\x1b[33mwarning\x1b[0m\r\n",
                                  line % 8, line, line % 8);
                break;
            case BenchOutput::Dense:
                n = std::snprintf(text, sizeof text,
                                  "\x1b[3%um%06u\x1b[0m \x1b[1;38;5;%umcoloured\x1b[0m output line of the "
                                  "bench \x1b[38;2;10;%u;200mrgb\x1b[0m\r\n",
                                  line % 8, line, line % 256, line % 256);
                break;
        }
        out.append(text, size_t(n));
        written += size_t(n);
    }
    out += endMarker;
    writeWholeFile(path, out);
}

class TerminalThroughput : public ::testing::Test {
protected:
    HWND host = nullptr;
    std::unique_ptr<Terminal> terminal;

    void SetUp() override {
        if (benchMegabytes() == 0) GTEST_SKIP() << "set TOOLKEEP_TERMINAL_BENCH=5";
        HINSTANCE instance = GetModuleHandleW(nullptr);
        static bool registered = [instance] {
            WNDCLASSEXW windowClass = {};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = hostProc;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = L"TerminalThroughputHost";
            return RegisterClassExW(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        host = CreateWindowExW(0, L"TerminalThroughputHost", L"terminal-bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               900, 600, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(host, nullptr);
        terminal = std::make_unique<Terminal>();
        hostedTerminal = terminal.get();
        ASSERT_TRUE(createTerminal(*terminal, host, instance, ShellKind::Cmd, 10));
        MoveWindow(terminal->editor, 0, 0, 880, 560, TRUE);
        ASSERT_TRUE(waitUntil(kWaitMs, [&] {
            return probeTerminal(*terminal).outputChunks > 0 && probeTerminal(*terminal).atShellPrompt;
        }));
    }

    void TearDown() override {
        hostedTerminal = nullptr;
        terminal.reset();
        if (host) DestroyWindow(host);
        pumpMessages();
    }

    // The text of the last display lines (paragraphs end in a bare CR there).
    std::u16string tail() {
        HWND editor = terminal->editor;
        LONG lines = LONG(SendMessageW(editor, EM_GETLINECOUNT, 0, 0));
        LONG from = LONG(SendMessageW(editor, EM_LINEINDEX, WPARAM(lines > kTailLines ? lines - kTailLines : 0), 0));
        GETTEXTLENGTHEX query = {GTL_NUMCHARS | GTL_PRECISE, 1200};
        LONG length = LONG(SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
        if (from < 0 || from > length) from = 0;
        std::vector<wchar_t> buffer(size_t(length - from) + 1, L'\0');
        TEXTRANGEW range = {{from, length}, buffer.data()};
        LRESULT copied = SendMessageW(editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
        return fromWide(buffer.data(), size_t(copied > 0 ? copied : 0));
    }

    // Runs the command and waits until the marker line and the prompt after it show.
    bool runUntilMarker(const std::u16string& command, const std::u16string& marker) {
        for (char16_t c : command) SendMessageW(terminal->editor, WM_CHAR, WPARAM(c), 1);
        SendMessageW(terminal->editor, WM_KEYDOWN, VK_RETURN, 1);
        SendMessageW(terminal->editor, WM_KEYUP, VK_RETURN, 0xC0000001);
        int polls = 0;
        return waitUntil(kFloodWaitMs, [&] {
            // Reading text costs the control a walk over its paragraphs: look
            // only once the shell's prompt is back, and then every 100 ms.
            if (++polls % 20 || !probeTerminal(*terminal).atShellPrompt || !probeTerminal(*terminal).queuedChunks == 0)
                return false;
            return tail().find(u"\r" + marker + u"\r") != std::u16string::npos;
        });
    }

    void measure(BenchOutput kind);
    void measureLong();
};

// Posts timed probes to the window while it works; the longest wait is how
// long the window did not answer.
struct Prober {
    std::atomic<bool> running{true};
    std::thread thread;

    explicit Prober(HWND target) {
        worstProbeMicros = 0;
        thread = std::thread([this, target] {
            while (running) {
                PostMessageW(target, WM_PROBE, 0, LPARAM(nowMicros()));
                Sleep(20);
            }
        });
    }
    ~Prober() {
        running = false;
        thread.join();
        pumpMessages();
    }
};

void TerminalThroughput::measure(BenchOutput kind) {
    static const char* const kNames[] = {"plain", "SGR palette", "SGR dense"};
    int megabytes = benchMegabytes();
    std::u16string file = tempPath(u"wr-bench.txt");
    writeBenchFile(file, kind, size_t(megabytes) * 1024 * 1024, "WRBENCHEND\r\n");
    Prober prober(host);
    long long started = nowMicros();
    double busyBefore = threadCpuSeconds();
    EXPECT_TRUE(runUntilMarker(u"type \"" + file + u"\"", u"WRBENCHEND"));
    long long elapsed = nowMicros() - started;
    double busy = threadCpuSeconds() - busyBefore;
    // The window's own share: the rest of the time goes to the shell and the pipe.
    std::printf(
        "[bench] %s %d MB: %.2f s to show (window thread busy %.2f s), longest unresponsive %.0f ms, "
        "%llu chunks\n",
        kNames[int(kind)], megabytes, double(elapsed) / 1e6, busy, double(worstProbeMicros) / 1e3,
        static_cast<unsigned long long>(probeTerminal(*terminal).outputChunks));
    std::fflush(stdout);
    DeleteFileW(wstr(file));
}

// Ten times the case size of plain output, one segment per command: the
// time and the private memory of the first and the last segment tell
// whether a long transcript slows the window down or piles up memory.
void TerminalThroughput::measureLong() {
    int megabytes = benchMegabytes();
    std::u16string file = tempPath(u"wr-bench-long.txt");
    writeBenchFile(file, BenchOutput::Plain, size_t(megabytes) * 1024 * 1024, "");
    double firstSeconds = 0, firstMemory = 0;
    Prober prober(host);
    for (int segment = 1; segment <= kLongSegments; ++segment) {
        std::string marker = "WRLONG" + std::to_string(segment);
        std::u16string wideMarker(marker.begin(), marker.end());
        // The caret keeps the marker out of the command line the editor shows.
        std::u16string command = u"type \"" + file + u"\" & echo WRLONG^" + wideMarker.substr(6);
        long long started = nowMicros();
        ASSERT_TRUE(runUntilMarker(command, wideMarker)) << "segment " << segment;
        double seconds = double(nowMicros() - started) / 1e6;
        double memory = privateMegabytes();
        if (segment == 1) {
            firstSeconds = seconds;
            firstMemory = memory;
        }
        if (segment == 1 || segment == kLongSegments) {
            std::printf("[bench] plain %d MB, %s %d MB: %.2f s, private memory %.0f MB\n", megabytes * kLongSegments,
                        segment == 1 ? "first" : "last", megabytes, seconds, memory);
        }
        if (segment == kLongSegments) {
            std::printf(
                "[bench] plain %d MB: last/first time %.2f, memory after all/after first %.2f; "
                "longest unresponsive %.0f ms\n",
                megabytes * kLongSegments, seconds / firstSeconds, memory / firstMemory,
                double(worstProbeMicros) / 1e3);
        }
        std::fflush(stdout);
    }
    DeleteFileW(wstr(file));
}

TEST_F(TerminalThroughput, Plain) { measure(BenchOutput::Plain); }

TEST_F(TerminalThroughput, PaletteColours) { measure(BenchOutput::Palette); }

TEST_F(TerminalThroughput, DenseColours) { measure(BenchOutput::Dense); }

TEST_F(TerminalThroughput, TenTimesPlainFirstAndLastSegment) { measureLong(); }

// The local clear of a full transcript: the kept 50 000 lines, then "cls".
TEST_F(TerminalThroughput, ClearAfterFiftyThousandLines) {
    std::u16string chunk;
    for (int line = 0; line < 50000; ++line) {
        std::string text = std::to_string(line) + " plain output line of the benchmark, as a long listing prints\r\n";
        chunk.append(text.begin(), text.end());
        if (line % 2000 == 1999) {
            renderOutput(*terminal, chunk);
            chunk.clear();
        }
    }
    pumpMessages();
    long long started = nowMicros();
    clearTranscript(*terminal);
    double milliseconds = double(nowMicros() - started) / 1e3;
    {
        // The replaced control is destroyed a second later, on the window's thread.
        Prober prober(host);
        waitUntil(2000, [] { return false; });
    }
    std::printf("[bench] cls after 50000 lines: %.1f ms; longest unresponsive in the 2 s after: %.0f ms\n",
                milliseconds, double(worstProbeMicros) / 1e3);
    std::fflush(stdout);
}

}  // namespace
