// The team's playbooks beside the program and the user's under %APPDATA%:
// listed after the shipped ones with their origin, in the window and over MCP;
// broken files named in the Activity log; --check-playbooks counts problems.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "data/files.h"
#include "data/text.h"
#include "platform/win_text.h"
#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "ui/main_state.h"
#include "ui/navigation_model.h"

namespace {

constexpr DWORD kWaitMs = 30000;

// A good team playbook with one refused step, and one that takes a shipped id.
const char kTeamFile[] = R"({"playbooks":[{"id":"team.vpn","title":"VPN 连不上","titleEn":"VPN fails","steps":[)"
                         R"({"id":"s1","action":{"type":"command","command":"ipconfig /all"}},)"
                         R"({"id":"s2","action":{"type":"command","command":"del /q C:\\x"}}]},)"
                         R"({"id":"net.no-internet","title":"Impostor","steps":[]}]})";
const char kUserFile[] =
    "\xEF\xBB\xBF"
    R"({"playbooks":[{"id":"user.mine","title":"我的剧本","titleEn":"Mine"}]})";
const char kBrokenFile[] = "{\"playbooks\": [";

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

// Files written for one test and removed after it, folders last.
struct PlantedFiles {
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
    void folder(const std::wstring& path) {
        if (CreateDirectoryW(path.c_str(), nullptr)) folders.insert(folders.begin(), path);
    }
    std::wstring file(const std::wstring& path, const std::string& bytes) {
        writeWholeFile(fromWide(path.c_str()), bytes);
        files.push_back(path);
        return path;
    }
    ~PlantedFiles() {
        for (const std::wstring& path : files) DeleteFileW(path.c_str());
        for (const std::wstring& path : folders) RemoveDirectoryW(path.c_str());
    }
};

struct Finished {
    int exitCode = -1;
    std::string output;
};

// The program with its standard input read from the bytes and its output kept.
Finished runWithStdio(const std::wstring& exe, const std::wstring& arguments, const std::string& input) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring in = std::wstring(temp) + L"toolkeep-own-playbooks.in";
    const std::wstring out = std::wstring(temp) + L"toolkeep-own-playbooks.out";
    writeWholeFile(fromWide(in.c_str()), input);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE inFile = CreateFileW(in.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE outFile = CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inFile;
    startup.hStdOutput = startup.hStdError = outFile;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    ExeProcess process;
    process.started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                     &process.info) != 0;
    Finished finished;
    finished.exitCode = waitForExit(process, kWaitMs);
    closeProcess(process);
    CloseHandle(inFile);
    CloseHandle(outFile);
    finished.output = fileBytes(out);
    DeleteFileW(in.c_str());
    DeleteFileW(out.c_str());
    return finished;
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class OwnPlaybooks : public WindowFixture {
protected:
    PlantedFiles planted;
    void SetUp() override {
        const std::wstring team = folderOf(toolkeepExePath()) + L"\\Playbooks";
        planted.folder(team);
        planted.file(team + L"\\team.json", kTeamFile);
        planted.file(team + L"\\broken.json", kBrokenFile);
        planted.folder(appDataFile(L""));
        planted.folder(appDataFile(L"playbooks"));
        planted.file(appDataFile(L"playbooks\\mine.json"), kUserFile);
        WindowFixture::SetUp();
    }
    void TearDown() override {
        close();  // before the files go
    }
};

TEST_F(OwnPlaybooks, WindowListsThemAfterTheShippedOnesAndNamesBrokenFiles) {
    const std::vector<Playbook>& playbooks = state->catalog.playbooks;
    ASSERT_GE(playbooks.size(), 15u);
    const Playbook& team = playbooks[playbooks.size() - 2];
    const Playbook& user = playbooks.back();
    EXPECT_EQ(team.id, u"team.vpn");
    EXPECT_EQ(team.origin, PlaybookOrigin::Team);
    EXPECT_EQ(user.id, u"user.mine");
    EXPECT_EQ(user.origin, PlaybookOrigin::User);
    ASSERT_EQ(team.steps.size(), 2u);
    EXPECT_TRUE(team.steps[0].enabled);
    EXPECT_FALSE(team.steps[1].enabled);
    EXPECT_FALSE(team.steps[1].disabledReason.empty());
    // The shipped playbook keeps its id; the colliding one is not loaded.
    int shipped = 0;
    for (const Playbook& playbook : playbooks) shipped += playbook.id == u"net.no-internet";
    EXPECT_EQ(shipped, 1);
    EXPECT_EQ(findPlaybook(playbooks, u"net.no-internet")->title, u"上不了网");

    setSegment(state->navigation, kSegmentPlaybooks);
    std::vector<std::u16string> labels;
    for (HTREEITEM item = TreeView_GetRoot(state->tree); item; item = TreeView_GetNextSibling(state->tree, item)) {
        wchar_t text[256] = {};
        TVITEMW data = {};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = 256;
        TreeView_GetItem(state->tree, &data);
        labels.push_back(fromWide(text));
    }
    ASSERT_GE(labels.size(), 2u);
    EXPECT_NE(labels[labels.size() - 2].find(u"VPN 连不上（团队）"), std::u16string::npos);
    EXPECT_NE(labels.back().find(u"我的剧本（用户）"), std::u16string::npos);

    const std::u16string activity = fromWide(windowText(state->activity.window).c_str());
    const std::u16string team_file = fromWide((folderOf(toolkeepExePath()) + L"\\Playbooks\\").c_str());
    EXPECT_NE(activity.find(team_file + u"broken.json:1:16: JSON 文本不完整"), std::u16string::npos);
    EXPECT_NE(activity.find(team_file + u"team.json: 剧本 team.vpn，步骤 s2: 步骤已禁用"), std::u16string::npos);
    EXPECT_NE(activity.find(u"另有 1 个问题"), std::u16string::npos);
    EXPECT_EQ(activity.find(u"mine.json"), std::u16string::npos);
}

// A copy of the real program with a team folder beside it.
TEST(OwnPlaybooksExe, McpListsThemWithOriginAndTheCheckerCountsProblems) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    PlantedFiles planted;
    const std::wstring folder =
        std::wstring(temp) + L"toolkeep-own-playbooks-" + std::to_wstring(GetCurrentProcessId());
    planted.folder(folder);
    planted.folder(folder + L"\\Playbooks");
    const std::wstring exe = folder + L"\\toolkeep.exe";
    ASSERT_TRUE(CopyFileW(toolkeepExePath().c_str(), exe.c_str(), FALSE));
    planted.files.push_back(exe);
    const std::wstring team = planted.file(folder + L"\\Playbooks\\team.json", kTeamFile);
    const std::wstring broken = planted.file(folder + L"\\broken.json", kBrokenFile);
    const std::wstring clean = planted.file(folder + L"\\clean.json", kUserFile);

    Finished mcp = runWithStdio(
        exe, L"--mcp-stdio",
        R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"list_playbooks","arguments":{}}})"
        "\n");
    EXPECT_EQ(mcp.exitCode, 0);
    EXPECT_EQ(countOf(mcp.output, R"(\"id\":\"team.vpn\")"), 1u) << mcp.output.substr(0, 400);
    EXPECT_EQ(countOf(mcp.output, R"(\"origin\":\"team\")"), 1u);
    EXPECT_GE(countOf(mcp.output, R"(\"origin\":\"shipped\")"), 13u);
    EXPECT_EQ(countOf(mcp.output, "Impostor"), 0u);

    const std::pair<std::wstring, int> checks[] = {
        {L"\"" + clean + L"\"", 0},
        {L"\"" + broken + L"\"", 1},
        {L"\"" + team + L"\" \"" + broken + L"\" \"" + clean + L"\"", 3},
        {L"", 1},
    };
    for (const auto& [files, problems] : checks) {
        Finished check = runWithStdio(exe, L"--check-playbooks " + files, "");
        EXPECT_EQ(check.exitCode, problems) << check.output;
        EXPECT_EQ(countOf(check.output, "\n"), size_t(problems)) << check.output;
    }
    Finished check = runWithStdio(exe, L"--check-playbooks \"" + broken + L"\"", "");
    EXPECT_EQ(check.output.rfind(wideToUtf8(fromWide(broken.c_str())) + ":1:16: ", 0), 0u) << check.output;
}

}  // namespace
