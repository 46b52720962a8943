// Real CMD shells under load: input typed while a command runs, floods of
// output while the window is busy, stopping a command, restarting a session.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "terminal/terminal.h"

#include "tests/e2e/message_loop.h"
#include "tests/e2e/terminal_host.h"

namespace {

constexpr wchar_t kSinkClass[] = L"TerminalLoadSink";
constexpr DWORD kWaitMs = 30000;
// The window must answer within this while the shell is busy.
constexpr long long kAnswerMs = 250;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool hasChild(const std::vector<ChildProcess>& children, const std::u16string& exeName) {
    return std::any_of(children.begin(), children.end(), [&](const ChildProcess& c) {
        std::u16string name = c.exeName;
        for (char16_t& ch : name) ch = char16_t(towlower(ch));
        return name == exeName;
    });
}

// Where the shell printed the word as a line of its own, after a line break
// or after its prompt (a shell reading a pipe need not echo the command), or npos.
size_t printedAt(const std::u16string& text, const std::u16string& word) {
    for (size_t at = text.find(word + u"\r\n"); at != std::u16string::npos; at = text.find(word + u"\r\n", at + 1))
        if (at > 0 && (text[at - 1] == u'\n' || text[at - 1] == u'>')) return at;
    return std::u16string::npos;
}

// What a session sends to its window: the output text and when each write was read.
struct Sink {
    ShellSession* session = nullptr;
    std::u16string text;
    size_t chunks = 0;
    std::vector<std::pair<uint64_t, long long>> inputRead;  // sequence, time
};

LRESULT CALLBACK sinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* sink = reinterpret_cast<Sink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (sink && message == WM_TERMINAL_OUTPUT) {
        auto* chunk = reinterpret_cast<std::u16string*>(lParam);
        sink->text += *chunk;
        ++sink->chunks;
        noteOutputTaken(*sink->session, chunk->size());
        delete chunk;
        return 0;
    }
    if (sink && message == WM_TERMINAL_INPUT_READ) {
        sink->inputRead.push_back({uint64_t(wParam), nowMs()});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Asks the window for an answer again and again from another thread and
// keeps the longest wait.
struct Prober {
    std::atomic<bool> running{true};
    std::atomic<long long> worstMs{0};
    std::thread thread;

    explicit Prober(HWND target) {
        thread = std::thread([this, target] {
            while (running) {
                long long start = nowMs();
                DWORD_PTR result = 0;
                SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
                worstMs = std::max(worstMs.load(), nowMs() - start);
                Sleep(10);
            }
        });
    }
    ~Prober() { finish(); }
    void finish() {
        running = false;
        if (thread.joinable()) thread.join();
    }
};

class TerminalLoad : public ::testing::Test {
protected:
    Sink sink;
    ShellSession session;
    HWND window = nullptr;

    void SetUp() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        static bool registered = [instance] {
            WNDCLASSEXW windowClass = {};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = sinkProc;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = kSinkClass;
            return RegisterClassExW(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        window = CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        ASSERT_NE(window, nullptr);
        sink.session = &session;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&sink));
    }

    void TearDown() override {
        stopSession(session);
        pumpMessages();
        DestroyWindow(window);
    }

    bool startShell() {
        sink.text.clear();
        sink.inputRead.clear();
        return startSession(session, ShellKind::Cmd, window) &&
               waitUntil(kWaitMs, [&] { return sink.text.find(u'>') != std::u16string::npos; });
    }

    bool printed(const std::u16string& word) {
        return waitUntil(kWaitMs, [&] { return printedAt(sink.text, word) != std::u16string::npos; });
    }

    bool readReported(uint64_t sequence) {
        return waitUntil(kWaitMs, [&] { return !sink.inputRead.empty() && sink.inputRead.back().first >= sequence; });
    }

    bool pingRuns() {
        return waitUntil(kWaitMs, [&] { return hasChild(runningChildren(session), u"ping.exe"); });
    }
};

TEST_F(TerminalLoad, InputTypedAheadIsReadAfterTheCommandAndTheSessionRestarts) {
    ASSERT_TRUE(startShell());
    long long sent = nowMs();
    EXPECT_EQ(writeInput(session, u"ping -n 3 127.0.0.1\n"), 1u);
    EXPECT_EQ(writeInput(session, u"echo typed-ahead\n"), 2u);
    EXPECT_EQ(writeInput(session, u""), 0u);
    EXPECT_EQ(writeInput(session, u"echo second-ahead\n"), 3u);
    ASSERT_TRUE(printed(u"second-ahead")) << "the typed-ahead commands did not run";
    ASSERT_TRUE(readReported(3));
    EXPECT_LT(printedAt(sink.text, u"typed-ahead"), printedAt(sink.text, u"second-ahead"));
    // Sequence numbers are reported in order; the second only once ping had ended.
    for (size_t i = 1; i < sink.inputRead.size(); ++i) EXPECT_LT(sink.inputRead[i - 1].first, sink.inputRead[i].first);
    for (auto [sequence, time] : sink.inputRead) {
        if (sequence >= 2) {
            EXPECT_GE(time - sent, 1500) << "the shell read a line while ping still ran";
        }
    }
    EXPECT_LT(sink.text.rfind(u"127.0.0.1"), printedAt(sink.text, u"typed-ahead"));

    // A long paste into a shell that does not read: stopping still ends it all.
    writeInput(session, u"ping -n 30 127.0.0.1\n");
    ASSERT_TRUE(pingRuns());
    DWORD shellId = shellProcessId(session);
    std::vector<ChildProcess> children = runningChildren(session);
    writeInput(session, u"echo " + std::u16string(6000, u'x') + u"\n");
    waitUntil(200, [] { return false; });
    long long stopStart = nowMs();
    stopSession(session);
    long long stopMs = nowMs() - stopStart;
    std::printf("[figures] stopSession with a 6000-character paste unread: %lld ms\n", stopMs);
    EXPECT_FALSE(processAlive(shellId));
    for (const ChildProcess& child : children) EXPECT_FALSE(processAlive(child.id)) << "a command outlived its shell";

    ASSERT_TRUE(startShell()) << "the session did not start again";
    EXPECT_EQ(writeInput(session, u"echo restarted\n"), 1u);
    EXPECT_TRUE(printed(u"restarted"));
    EXPECT_TRUE(readReported(1));
}

TEST_F(TerminalLoad, FloodWhileTheWindowIsBusyArrivesWholeAndInOrder) {
    constexpr unsigned kLines = 20000;
    ASSERT_TRUE(startShell());
    writeInput(session, u"for /L %i in (1,1,20000) do @echo flood %i\n");
    Sleep(4000);  // the window does not look at its messages meanwhile
    ASSERT_TRUE(waitUntil(120000, [&] { return sink.text.find(u"flood 20000\r\n") != std::u16string::npos; }));
    size_t at = 0;
    for (unsigned line = 1; line <= kLines; ++line) {
        std::string digits = "flood " + std::to_string(line) + "\r\n";
        at = sink.text.find(std::u16string(digits.begin(), digits.end()), at);
        ASSERT_NE(at, std::u16string::npos) << "line " << line << " lost or out of order";
    }
    std::printf("[figures] 20000 lines in %zu chunks\n", sink.chunks);
}

// The real console editor: Enter pressed while the shell is busy must not
// hold up the window.
TEST(TerminalLoadEditor, EnterWhileTheShellIsBusyLeavesTheWindowAnswering) {
    TerminalHost host;
    ASSERT_TRUE(createTerminalHost(host, L"terminal-load"));
    ASSERT_GE(openTerminalTab(host.tabs, ShellKind::Cmd), 2);
    Terminal* t = host.tabs.terminals.back().terminal.get();
    host.tabs.layoutRightPane();
    ASSERT_TRUE(
        waitUntil(kWaitMs, [&] { return probeTerminal(*t).outputChunks > 0 && probeTerminal(*t).atShellPrompt; }));

    Prober prober(t->editor);
    typeLine(t->editor, u"ping -n 8 127.0.0.1");
    waitUntil(500, [] { return false; });
    typeLine(t->editor, u"echo typed-ahead");
    typeLine(t->editor, u"");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] {
        return printedAt(terminalText(*t), u"typed-ahead") != std::u16string::npos && probeTerminal(*t).atShellPrompt;
    }));
    prober.finish();
    std::u16string text = terminalText(*t);
    EXPECT_LT(text.rfind(u"127.0.0.1"), printedAt(text, u"typed-ahead")) << "typed-ahead ran before ping ended";
    EXPECT_LT(prober.worstMs.load(), kAnswerMs) << "the window stopped answering";
    std::printf("[figures] longest unresponsive time with type-ahead during ping -n 8: %lld ms\n",
                prober.worstMs.load());

    destroyTerminalHost(host);
}

}  // namespace
