// Loads the shipped playbooks and checks their safety and branch invariants,
// a table of allowlist verdicts, the https-only link rule and the pack override.
#include "data/data_pack.h"
#include "data/files.h"
#include "data/text.h"
#include "platform/platform.h"
#include "playbooks/allowlist.h"
#include "playbooks/playbook.h"
#include "selftest/harness.h"
#include "selftest/suites.h"

namespace {

const char kProbePack[] =
    "{\n"
    "  \"dataVersion\": \"9.9.9\",\n"
    "  \"playbooks\": [\n"
    "    { \"id\": \"selftest.pb\", \"title\": \"Probe\", \"steps\": [\n"
    "      { \"id\": \"s1\", \"text\": \"Probe\", \"action\": { \"type\": \"note\" } }\n"
    "    ] }\n"
    "  ]\n"
    "}\n";

const char kLinkPack[] =
    "{\"playbooks\":[{\"id\":\"selftest.links\",\"title\":\"Links\",\"steps\":["
    "{\"id\":\"s1\",\"action\":{\"type\":\"open-url\",\"ref\":\"http://example.com/\"}},"
    "{\"id\":\"s2\",\"action\":{\"type\":\"open-url\",\"ref\":\"https://example.com/\"}}]}]}";

struct VerdictCase {
    const char16_t* shell;
    const char16_t* command;
    bool allowed;
    const char16_t* description;
};

const VerdictCase kVerdicts[] = {
    {u"cmd", u"del C:\\windows\\x", false, u"拒: del"},
    {u"cmd", u"ipconfig /release", false, u"拒: ipconfig /release"},
    {u"cmd", u"net user selftest P@ssw0rd1 /add", false, u"拒: net user 添加账户"},
    {u"cmd", u"ping 1.1.1.1 & del y", false, u"拒: cmd 链式 & del"},
    {u"cmd", u"tasklist | findstr x", false, u"拒: cmd 管道"},
    {u"powershell", u"Get-Process | Remove-Item", false, u"拒: ps 管道到 Remove-Item"},
    {u"powershell", u"Invoke-Expression evil", false, u"拒: ps Invoke-Expression"},
    {u"cmd", u"C:\\Windows\\System32\\cmd.exe /c dir", false, u"拒: 绝对路径命令"},
    {u"cmd", u"systeminfo > C:\\out.txt", false, u"拒: 重定向"},
    {u"cmd", u"ping 1.1.1.1\ndel C:\\x", false, u"拒: cmd 换行注入"},
    {u"powershell", u"Get-Process\nRemove-Item x", false, u"拒: ps 换行注入"},
    {u"cmd", u"ipconfig /all\r\nformat c:", false, u"拒: 回车注入"},
    {u"cmd", u"ipconfig /all", true, u"许: ipconfig /all"},
    {u"cmd", u"ping -n 4 {gateway}", true, u"许: ping 占位符"},
    {u"cmd", u"sc query spooler", true, u"许: sc query spooler"},
    {u"powershell", u"Get-NetIPConfiguration", true, u"许: ps Get-NetIPConfiguration"},
    {u"powershell", u"Test-NetConnection 1.1.1.1 -Port 443", true, u"许: ps Test-NetConnection"},
    {u"powershell", u"Get-Process | Sort-Object CPU | Select-Object -First 5", true, u"许: ps 只读管道"},
    {u"cmd", u"chkdsk F:", true, u"许: chkdsk 盘符 F:"},
    {u"cmd", u"sc query x -Path y", false, u"拒: sc 在 PowerShell 中是 Set-Content"},
    {u"cmd", u"chkdsk D: '/x'", false, u"拒: PowerShell 去掉引号后的 /x"},
    {u"cmd", u"net view \\\\203.0.113.7", false, u"拒: 字面远程主机"},
    {u"powershell", u"Get-WmiObject -Class Win32_Product", false, u"拒: Win32_Product"},
};

void checkShippedSteps(SuiteLog& log, const std::vector<Playbook>& playbooks) {
    size_t judged = 0;
    size_t refused = 0;
    for (const Playbook& playbook : playbooks) {
        for (const PlaybookStep& step : playbook.steps) {
            bool ok = true;
            if (step.actionType == StepActionType::Command) {
                ok = checkCommand(step.shell, step.command).allowed;
            } else if (step.actionType == StepActionType::OpenUrl) {
                ok = step.enabled;
            } else {
                continue;
            }
            ++judged;
            if (!ok) {
                ++refused;
                writeSuiteLine(log, u"     越界步骤: " + playbook.id + u"/" + step.id);
            }
        }
    }
    suiteCheck(log, judged > 0 && refused == 0, u"内置所有命令/链接步骤均通过白名单");
}

void checkPackOverride(SuiteLog& log) {
    std::u16string dir = platform::tempDir() + u"wr-playbook-test";
    platform::createDirectories(dir);
    bool written = writeWholeFile(platform::joinPath(dir, u"playbooks.json"), kProbePack);
    suiteCheck(log, written, u"外部剧本数据包写入");

    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    std::u16string version = packDataVersion(kPlaybooksPack);
    std::vector<Playbook> playbooks = loadPlaybookPack();
    platform::unsetEnv(u"TOOLKEEP_DATA_DIR");
    suiteCheck(log, version == u"9.9.9" && findPlaybook(playbooks, u"selftest.pb") != nullptr,
               u"外部剧本覆盖生效(9.9.9)");
    suiteCheck(log, packDataVersion(kPlaybooksPack) == u"0.0.3", u"还原后回到内置剧本(0.0.3)");
}

}  // namespace

int runPlaybookSuite() {
    SuiteLog log = openSuiteLog(u"toolkeep-playbook-selftest.log");
    writeSuiteLine(log, u"== 排障剧本自检 ==");

    std::vector<Playbook> playbooks = loadPlaybookPack();
    suiteCheck(log, playbooks.size() >= 13, u"内置剧本加载(>=13)");
    suiteCheck(log, packDataVersion(kPlaybooksPack) == u"0.0.3", u"剧本数据版本 0.0.3");

    checkShippedSteps(log, playbooks);

    std::vector<std::u16string> problems = checkBranchTargets(playbooks);
    for (const std::u16string& problem : problems) writeSuiteLine(log, u"     分支问题: " + problem);
    suiteCheck(log, problems.empty(), u"分支跳转目标全部有效");
    std::vector<DuplicateId> duplicates = findDuplicateIds(playbooks);
    for (const DuplicateId& d : duplicates) writeSuiteLine(log, u"     重复 id: " + d.playbookId + u"/" + d.stepId);
    suiteCheck(log, duplicates.empty(), u"剧本与步骤 id 无重复");

    for (const VerdictCase& c : kVerdicts) {
        suiteCheck(log, checkCommand(c.shell, c.command).allowed == c.allowed, c.description);
    }

    std::optional<JsonValue> linkDocument = parseJson(utf8ToWide(kLinkPack));
    std::vector<Playbook> links = linkDocument ? parsePlaybooks(*linkDocument) : std::vector<Playbook>{};
    bool httpsOnly =
        links.size() == 1 && links[0].steps.size() == 2 && !links[0].steps[0].enabled && links[0].steps[1].enabled;
    suiteCheck(log, httpsOnly, u"open-url 仅许 https(拒 http)");

    checkPackOverride(log);
    return finishSuite(log);
}
