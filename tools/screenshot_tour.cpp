// The screenshot tour: a main window of this program shown in each language,
// theme and view in turn, each held while scripts/screenshots.sh takes its
// picture. The file named by TOOLKEEP_SCREENSHOT_TOUR receives the name of the
// view on screen, and "done" at the end.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/win_text.h"
#include "tests/e2e/local_window.h"
#include "terminal/terminal.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/navigation_pane.h"

namespace {

int64_t catalogIndex(const MainState& state, const std::u16string& id) {
    for (size_t i = 0; i < state.catalog.tools.size(); ++i) {
        if (state.catalog.tools[i].id == id) return int64_t(i);
    }
    return -1;
}

std::u16string lastActivityLine(const MainState& state) {
    std::u16string text = fromWide(windowText(state.activity.window).c_str());
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.pop_back();
    size_t at = text.find_last_of(u"\r\n");
    return at == std::u16string::npos ? text : text.substr(at + 1);
}

// The notepad the tour starts is ended again by the PID its launch line names.
void endProcessInLine(const std::u16string& line) {
    size_t at = line.find(u"(PID: ");
    if (at == std::u16string::npos) return;
    DWORD pid = DWORD(std::stoul(std::string(line.begin() + long(at) + 6, line.end() - 1)));
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

std::u16string paletteSample() {
    std::u16string sample;
    for (int index = 0; index < 16; ++index) {
        std::string code = std::to_string(index < 8 ? 30 + index : 90 + index - 8);
        sample += u"\x1b[" + std::u16string(code.begin(), code.end()) + u"m#" +
                  std::u16string(1, u"0123456789ABCDEF"[index]) + u"\x1b[0m ";
    }
    return sample;
}

void tour(HWND window, MainState& state, const wchar_t* marker) {
    auto hold = [&](const std::string& view) {
        pump(300);
        {
            std::ofstream out(marker, std::ios::trunc);
            out << view;
        }
        pump(2500);
    };
    int64_t notepad = catalogIndex(state, u"builtin.notepad");
    const std::u16string palette = paletteSample();
    for (int language : {0, 1}) {
        SendMessageW(window, WM_COMMAND, language ? kCmdLanguageEnglish : kCmdLanguageChinese, 0);
        for (int theme : {kCmdThemeLight, kCmdThemeDark}) {
            SendMessageW(window, WM_COMMAND, WPARAM(theme), 0);
            std::string tag = std::string(language ? "en-" : "zh-") + (theme == kCmdThemeDark ? "dark" : "light");
            selectTab(state, 1);  // the previous round ended on a terminal
            SetWindowTextW(state.assistant.input, language ? L"no internet" : L"上不了网");
            runAssistantQuery(state.assistant);
            hold(tag + "-assistant");
            if (theme == kCmdThemeLight) {
                // A playbook from the team's folder, as the navigation pane marks it.
                Playbook team;
                team.id = u"team.print-queue";
                team.title = u"打印任务卡住";
                team.titleEn = u"Print job stuck";
                team.origin = PlaybookOrigin::Team;
                state.catalog.playbooks.push_back(team);
                setSegment(state.navigation, kSegmentPlaybooks);
                hold(tag + "-team");
                state.catalog.playbooks.pop_back();
                setSegment(state.navigation, kSegmentResults);
                SetWindowTextW(state.assistant.input, language ? L"wifi keeps dropping" : L"打印机脱机");
                runAssistantQuery(state.assistant);
                SetWindowTextW(state.assistant.input, language ? L"the thing is weird" : L"那个东西怪怪的");
                runAssistantQuery(state.assistant);
                hold(tag + "-assistant-fallback");
            }
            launchTool(state, notepad, false);
            endProcessInLine(lastActivityLine(state));
            ToolRecord missing;
            missing.id = u"custom.gone";
            missing.name = u"已删除的工具";
            missing.nameEn = u"Deleted tool";
            missing.type = ToolType::Exe;
            missing.path = u"C:\\gone\\tool.exe";
            state.catalog.tools.push_back(missing);
            launchTool(state, int64_t(state.catalog.tools.size() - 1), false);
            hold(tag + "-dot");
            selectTab(state, 0);
            hold(tag + "-activity");
            SendMessageW(window, WM_COMMAND, kCmdHelp, 0);
            hold(tag + "-help");
            SendMessageW(window, WM_COMMAND, kCmdAbout, 0);
            hold(tag + "-about");
            openPlaybookTab(state.playbook, state.catalog.playbooks, 0);
            state.playbook.current = 1;  // a command step, with its allowlist verdict
            rebuildPanel(state.playbook);
            hold(tag + "-playbook");
            // The walk after its commands ended, as Windows prints them: the gateway taken, the ping read.
            state.playbook.filledStep = 1;
            notePanelCommandEnded(state.playbook, u"ipconfig /all",
                                  language ? u"   Default Gateway . . . . . . . . . : 192.168.1.1\r\n"
                                           : u"   默认网关. . . . . . . . . . . . . : 192.168.1.1\r\n");
            state.playbook.current = state.playbook.filledStep = 2;
            notePanelCommandEnded(state.playbook, u"ping -n 4 127.0.0.1",
                                  language ? u"Reply from 127.0.0.1: bytes=32 time<1ms TTL=128\r\n"
                                           : u"来自 127.0.0.1 的回复: 字节=32 时间<1ms TTL=128\r\n");
            hold(tag + "-reading");
            for (ToolRecord& tool : state.catalog.tools)
                if (tool.id == u"builtin.ncpa") tool.isInstalled = false;
            state.playbook.current = 0;  // a tool step whose tool this machine lacks
            rebuildPanel(state.playbook);
            hold(tag + "-toolstep");
            RECT before = {};
            GetWindowRect(window, &before);
            SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);  // stops at its least size
            hold(tag + "-minsize");
            SetWindowPos(window, nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
                         SWP_NOMOVE | SWP_NOZORDER);
            closePlaybookTab(state.playbook);
            SendMessageW(window, WM_COMMAND, kCmdHelp, 0);
            SendMessageW(window, WM_COMMAND, kCmdAbout, 0);
            selectTab(state, firstTerminalPage(state.pages));
            Terminal& cmd = *state.terminals.terminals.front().terminal;
            // In the last round, so that text in the default colour is written in the theme it is shown in.
            if (language == 1 && theme == kCmdThemeDark) {
                // A flood of output first, then a sample of each kind of colour at the end.
                for (int line = 0; line < 3000; ++line) {
                    std::string number = std::to_string(line);
                    renderOutput(cmd, u"\x1b[3" + std::u16string(1, char16_t(u'1' + line % 7)) + u"mflood line " +
                                          std::u16string(number.begin(), number.end()) + u"\x1b[0m of output\r\n");
                }
                renderOutput(cmd,
                             u"\x1b[32mOK\x1b[0m  \x1b[1;31mERROR\x1b[0m  \x1b[33mwarning\x1b[0m  "
                             u"\x1b[38;5;208m256-colour\x1b[0m  \x1b[38;2;90;160;255m24-bit\x1b[0m  中文输出\r\n");
                renderOutput(cmd, u"palette 0-15: " + palette + u" (written on the light theme)\r\n");
            } else if (language == 0) {
                renderOutput(cmd, u"palette 0-15: " + palette + u" (written on the dark theme)\r\n");
            }
            hold(tag + "-cmd");
        }
    }
    std::ofstream(marker, std::ios::trunc) << "done";
}

}  // namespace

int main() {
    wchar_t marker[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TOOLKEEP_SCREENSHOT_TOUR", marker, MAX_PATH)) {
        std::fputs("Set TOOLKEEP_SCREENSHOT_TOUR to the file that receives the name of each view.\n", stderr);
        return 2;
    }
    // Starts without config.json, which is put back as it was afterwards.
    KeptFile config{appDataFile(L"config.json")};
    KeptFile customTools{appDataFile(L"custom-tools.json")};
    DeleteFileW(config.path.c_str());
    useTheExesDataPacks();
    HWND window = createLocalMainWindow(CW_USEDEFAULT, CW_USEDEFAULT, 200);
    MainState* state = mainStateOf(window);
    if (!window || !state) {
        std::fputs("The main window did not come up.\n", stderr);
        return 1;
    }
    tour(window, *state, marker);
    destroyLocalMainWindow(window);
    return 0;
}
