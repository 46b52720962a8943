#include "ui/ui_text.h"

namespace {

struct TextRow {
    int id;
    const char16_t* zh;
    const char16_t* en;
};

// Rows stay in id order; ids that no screen shows keep a placeholder so every lookup has text.
constexpr TextRow kRows[] = {
    {0, u"Wrenly", u"Wrenly"},
    {1, u"（管理员）", u" (Administrator)"},
    {2, u"搜索工具…", u"Search tools…"},
    {3, u"设置", u"Settings"},
    {4, u"启动方式：单击", u"Launch on: Single click"},
    {5, u"启动方式：双击", u"Launch on: Double click"},
    {6, u"默认终端：Cmd", u"Default shell: Cmd"},
    {7, u"默认终端：PowerShell（重启后生效）", u"Default shell: PowerShell (restart)"},
    {8, u"外观", u"Appearance"},
    {9, u"跟随系统", u"Follow system"},
    {10, u"浅色", u"Light"},
    {11, u"深色", u"Dark"},
    {12, u"终端字号", u"Terminal font size"},
    {13, u"显示工具文件名", u"Show tool file names"},
    {14, u"终端快速编辑（右键复制/粘贴）", u"Terminal quick edit (right-click copy/paste)"},
    {15, u"以管理员身份重启", u"Restart as administrator"},
    {16, u"工具", u"Tools"},
    {17, u"添加自定义工具…", u"Add custom tool…"},
    {18, u"移除选中的自定义工具", u"Remove selected custom tool"},
    {19, u"终端", u"Terminal"},
    {20, u"新建 CMD 终端", u"New CMD terminal"},
    {21, u"新建 PowerShell 终端", u"New PowerShell terminal"},
    {22, u"新建命名终端…", u"New named terminal…"},
    {23, u"重命名当前终端…", u"Rename current terminal…"},
    {24, u"关闭当前终端", u"Close current terminal"},
    {25, u"查找…", u"Find…"},
    {26, u"保存输出…", u"Save output…"},
    {27, u"查找", u"Find"},
    {28, u"查找内容：", u"Find what:"},
    {29, u"反向搜索历史命令", u"Reverse history search"},
    {30, u"反向搜索（子串匹配；再按 Ctrl+R 找更早的）：", u"Reverse-i-search (substring; Ctrl+R again = older):"},
    {31, u"终端名称：", u"Terminal name:"},
    {32, u"命名终端", u"Name terminal"},
    {33, u"确定", u"OK"},
    {34, u"取消", u"Cancel"},
    {35, u"操作轨迹", u"Activity"},
    {36, u"（保留）", u"(reserved)"},
    {37, u"助手", u"Assistant"},
    {38, u"AI 设置", u"AI settings"},
    {39, u"启用在线 AI", u"Enable online AI"},
    {40, u"服务地址：", u"Base URL:"},
    {41, u"模型名称：", u"Model:"},
    {42, u"访问密钥：", u"API key:"},
    {43, u"本地模型", u"Local model"},
    {44, u"启用本地模型", u"Enable local model"},
    {45, u"模型文件：", u"Model file:"},
    {46, u"测试连接", u"Test connection"},
    {47, u"连接成功", u"Connection OK"},
    {48, u"连接失败", u"Connection failed"},
    {49, u"思考中…", u"Thinking…"},
    {50, u"尚未配置 AI", u"AI is not configured"},
    {51, u"在线 AI 回答：", u"Online AI answer:"},
    {52, u"本地模型回答：", u"Local model answer:"},
    {53, u"请求失败：", u"Request failed: "},
    {54, u"保存", u"Save"},
    {55, u"（离线版：按症状匹配本机工具，不联网。）", u"(Offline edition: matches local tools by symptom, no network.)"},
    {56, u"在线 AI（需联网）", u"Online AI (needs network)"},
    {57, u"本地大模型（不联网）", u"Local LLM (offline)"},
    {58, u"选择模型文件", u"Choose a model file"},
    {59, u"模型文件", u"Model files"},
    {60, u"正在加载模型…", u"Loading the model…"},
    {61, u"模型已加载", u"Model loaded"},
    {62, u"模型加载失败", u"Failed to load the model"},
    {63, u"AI 建议：", u"AI suggestion:"},
    {64, u"AI 未返回内容", u"The AI returned nothing"},
    {65, u"请求超时", u"Request timed out"},
    {66, u"网络不可用", u"Network unavailable"},
    {67, u"密钥无效", u"Invalid key"},
    {68, u"已保存 AI 设置", u"AI settings saved"},
    {69, u"清除密钥", u"Clear key"},
    {70, u"AI 回答仅供参考，请核实后再执行。", u"AI answers are suggestions; verify before running anything."},
    {71, u"停止", u"Stop"},
    {72, u"重新生成", u"Regenerate"},
    {73, u"复制回答", u"Copy answer"},
    {74, u"AI 版功能", u"AI edition feature"},
    {75, u"帮助", u"Help"},
    {76, u"帮助", u"Help"},
    {77, u"关于", u"About"},
    {78, u"语言", u"Language"},
    {79, u"中文", u"中文"},
    {80, u"English", u"English"},
    {81, u"（保留）", u"(reserved)"},
    {82, u"启动", u"Launch"},
    {83, u"以管理员身份运行", u"Run as administrator"},
    {84, u"打开文件所在位置", u"Open file location"},
    {85, u"移除", u"Remove"},
    {86, u"加入收藏夹", u"Add to favorites"},
    {87, u"从收藏夹移除", u"Remove from favorites"},
    {88, u"打开官方下载页", u"Open official download page"},
    {89, u"（未安装 - 点击下载）", u"(not installed - click to download)"},
    {90, u"复制", u"Copy"},
    {91, u"粘贴", u"Paste"},
    {92, u"全选", u"Select All"},
    {93, u"添加到桌面", u"Add to desktop"},
    {94, u"固定到任务栏", u"Pin to taskbar"},
    {95, u"已创建桌面快捷方式。", u"Desktop shortcut created."},
    {96, u"创建桌面快捷方式失败。", u"Failed to create the desktop shortcut."},
    {97, u"已固定到任务栏。", u"Pinned to taskbar."},
    {98,
     u"此 Windows 版本禁止程序自动固定到任务栏（这是微软的系统限制，任何第三方都无法绕过）。\n"
     u"已在文件资源管理器中定位到该程序——请右键单击它并选择“固定到任务栏”。",
     u"This Windows version blocks programmatic taskbar pinning (a Microsoft system restriction that no third "
     u"party can bypass).\nThe program has been located in File Explorer — right-click it and choose \"Pin to "
     u"taskbar\"."},
    {99, u"Wrenly", u"Wrenly"},
    {100, u"（保留）", u"(reserved)"},
    {101, u"（保留）", u"(reserved)"},
    {102, u"工具数据版本", u"Tool data version"},
    {103, u"离线搜索数据版本", u"Offline search data version"},
    {104, u"扩展工具数据版本", u"External tools data version"},
    {105, u"排障剧本数据版本", u"Playbook data version"},
    {106, kHelpDocumentZh, kHelpDocumentEn},
    {107, u"关于", u"About"},
    {108, u"版本", u"Version"},
    {109, u"（内部测试版）", u"(internal test build)"},
    {110, u"面向 Windows 网管的随身控制台：工具导航 + 内嵌多标签终端 + 操作轨迹 + 助手。",
     u"A pocket console for Windows network admins: tool nav + embedded tabbed terminals + activity log + "
     u"assistant."},
    {111, u"原生 C++/Win32，单文件，零运行时依赖，最低支持 Windows 7 SP1（Win7–Win11）。",
     u"Native C++/Win32, single file, zero runtime deps, baseline Windows 7 SP1 (Win7-Win11)."},
    {112, u"出品：Wrenly 项目组", u"Made by the Wrenly project"},
    {113, u"正式版下载：请前往 Wrenly 项目的发布页", u"Releases: download from the Wrenly project's release page"},
    {114, u"功能亮点", u"Highlights"},
    {115, u"- 工具导航/搜索 + 一键启动（按需提权）；右键可运行/管理员运行/打开位置/发送到桌面/固定到任务栏。",
     u"- Tool navigation/search + one-click launch (UAC on demand); right-click run/admin/folder/desktop/taskbar."},
    {116, u"- 内嵌多标签 CMD/PowerShell 终端：原生编辑、复制粘贴、SGR 彩色输出。",
     u"- Embedded tabbed CMD/PowerShell terminals: native editing, copy/paste, SGR color."},
    {117, u"- 助手：描述症状 -> 筛选出可一键启动的工具；两个版本都有离线搜索，AI 版另加在线/本地大模型。",
     u"- Assistant: describe a symptom -> filtered, one-click tools; offline search in both editions, AI edition "
     u"adds online/local LLM."},
    {118, u"最小权限；未配置前不联网；只写入 %APPDATA%\\Toolkeep。",
     u"Least-privilege; no network until configured; writes only %APPDATA%\\Toolkeep."},
    {119, u"> [已添加] ", u"> [Added] "},
    {120, u"> [已移除] ", u"> [Removed] "},
    {121, u"添加自定义工具 — 选择程序", u"Add custom tool — choose a program"},
    {122, u"可执行文件", u"Executables"},
    {123, u"添加自定义工具", u"Add custom tool"},
    {124, u"保存自定义工具失败。", u"Failed to save the custom tool."},
    {125, u"无法打开文件选择框（错误 %lu）", u"Cannot open the file picker (error %lu)"},
    {126, u"启动参数", u"Launch arguments"},
    {127, u"启动参数（可选，回车确认）：", u"Launch arguments (optional, Enter to confirm):"},
    {128, u"收藏夹", u"Favorites"},
    {129, u"最近使用", u"Recent"},
    {130, u"系统管理", u"System"},
    {131, u"网络管理", u"Network"},
    {132, u"安全与策略", u"Security & Policy"},
    {133, u"存储管理", u"Storage"},
    {134, u"系统配置", u"Configuration"},
    {135, u"诊断与排错", u"Diagnostics"},
    {136, u"硬件与外设", u"Hardware"},
    {137, u"系统内置应用", u"Built-in Apps"},
    {138, u"扩展工具（推荐）", u"External tools (recommended)"},
    {139, u"自定义工具", u"Custom Tools"},
    {140, u"排障剧本", u"Playbooks"},
    {141, u"← 上一步", u"← Prev"},
    {142, u"下一步 →", u"Next →"},
    {143, u"执行此步", u"Run step"},
    {144, u"复制命令", u"Copy cmd"},
    {145, u"关闭", u"Close"},
    {146, u"（保留）", u"(reserved)"},
    {147, u"工具", u"Tool"},
    {148, u"命令", u"Command"},
    {149, u"链接", u"Link"},
    {150, u"（保留）", u"(reserved)"},
    {151, u"已禁用", u"Disabled"},
    {152, u"提示", u"Hint"},
    {153, u"已填入终端 - 请检查后按回车执行。", u"Filled into the terminal - review, then press Enter to run."},
    {154, u"（保留）", u"(reserved)"},
    {155, u"提示：命令步骤只会填入终端，由你自己执行；请按症状选择分支。命令仅限只读诊断白名单。",
     u"Tip: command steps are only filled into the terminal for you to run; pick a branch by symptom. Commands "
     u"are limited to a read-only diagnostic allowlist."},
    {156, u"未找到工具：", u"Tool not found: "},
    {157, u"工具", u"Tools"},
    {158, u"搜索结果", u"Results"},
    {159, u"↩ 全部工具", u"↩ All tools"},
    {160, u"↩ 全部剧本", u"↩ All playbooks"},
    {161, u"无匹配 - 请输入关键词，或返回全部工具/剧本", u"No match - type a keyword, or go back to all tools/playbooks"},
    {162, u"MCP 接口（供智能体调用）", u"MCP interface (for agents)"},
    {163, kMcpDocumentZh, kMcpDocumentEn},
    {164, u"剧本", u"Playbook"},
    {165, u"[启动]", u"[Launch]"},
    {166, u"[已取消] 已取消提权", u"[Cancelled] elevation cancelled"},
    {167, u"[失败]", u"[Failed]"},
    {168, u"找不到目标", u"target not found"},
    {169, u"错误", u"error"},
    {170, u"（内置）", u"(built-in)"},
    {171, u"（外部数据包）", u"(external data pack)"},
    {172, u"助手：描述症状或问题，我会推荐工具并筛选到左侧列表。",
     u"Assistant: describe a symptom or problem; I'll suggest tools and filter them into the left list."},
    {173, u"（AI 版：可接入在线或本地大模型。）", u"(AI edition: can use an online or local LLM.)"},
    {174, u"描述症状或问题，按回车…", u"Describe a symptom or problem, press Enter…"},
    {175, u"AI 正在分析…", u"AI is analysing…"},
    {176, u"AI 分析失败，已改用离线匹配。", u"AI analysis failed; fell back to offline matching."},
    {177, u"没有匹配的工具，换个说法试试？", u"No matching tools. Try rephrasing?"},
    {178, u"相关工具（已筛选到左侧列表，点击即可启动）：", u"Relevant tools (filtered to the left list; click to launch):"},
    {179, u"💡 相关排障剧本：", u"💡 Related playbooks: "},
    {180, u"（已列在左侧“搜索结果”中，点击打开）", u"(listed in the left 'Results'; click to open)"},
    {181, u"（保留）", u"(reserved)"},
    {182, u"（保留）", u"(reserved)"},
    {183, u"（保留）", u"(reserved)"},
    {184, u"（保留）", u"(reserved)"},
    {185, u"（保留）", u"(reserved)"},
    {186, u"（保留）", u"(reserved)"},
    {187, u"（保留）", u"(reserved)"},
    {188, u"（保留）", u"(reserved)"},
    {189, u"（保留）", u"(reserved)"},
    {190, u"（保留）", u"(reserved)"},
    {191, u"（保留）", u"(reserved)"},
    {192, u"（保留）", u"(reserved)"},
    {193, u"（保留）", u"(reserved)"},
    {194, u"（保留）", u"(reserved)"},
    {195, u"（保留）", u"(reserved)"},
    {196, u"（保留）", u"(reserved)"},
    {197, u"（保留）", u"(reserved)"},
    {198, u"（保留）", u"(reserved)"},
    {199, u"（保留）", u"(reserved)"},
    {200, u"（保留）", u"(reserved)"},
    {201, u"（保留）", u"(reserved)"},
    {202, u"无法读取 %s（错误 %s）：文件保持原样，不会被覆盖。",
     u"Cannot read %s (error %s): the file is left as it is and nothing is saved over it."},
    {203, u"无法解析 %s：原文件已另存为 %s，本次不使用它。",
     u"Cannot understand %s: the original is kept as %s and is not used this time."},
    {204, u"无法解析 %s，也无法另存副本：文件保持原样，不会被覆盖。",
     u"Cannot understand %s, nor copy it aside: the file is left as it is and nothing is saved over it."},
    {205, u"设置未保存：无法写入 %s。", u"Settings not saved: cannot write %s."},
    {206, u"设置未保存：无法读取 %s，因此不覆盖它。", u"Settings not saved: cannot read %s, so it is not overwritten."},
    {207, u"> [失败] 未能移除 %s：无法保存 %s。", u"> [Failed] %s not removed: cannot save %s."},
    {208, u"无法读取 %s（可能正被其他程序使用）。为免覆盖该文件，未添加此工具。",
     u"Cannot read %s (another program may be using it). The tool was not added, so that the file is not overwritten."},
    {209, u"终端输出未保存：无法写入 %s。", u"Terminal output not saved: cannot write %s."},
    {210, u"（保留）", u"(reserved)"},
    {211, u"（保留）", u"(reserved)"},
    {212, u"停止正在运行的命令", u"Stop running command"},
    {213, u"重启 Shell", u"Restart shell"},
    {214, u"正在运行：", u"Running: "},
    {215, u"（Ctrl+Break 停止）", u" (Ctrl+Break to stop)"},
    {216, u"[已停止]", u"[Stopped]"},
    {217, u"没有可停止的子进程：命令在 Shell 自身中运行。\n要重启此终端的 Shell 吗？当前 Shell 将被结束，已有输出会保留。",
     u"Nothing to stop: the command runs inside the shell itself.\nRestart this terminal's shell? The current shell "
     u"ends; the transcript stays."},
    {218, u"[Shell 已重启]", u"[shell restarted]"},
    {219, u"此终端中仍有程序在运行：", u"Programs are still running in this terminal:"},
    {220, u"终端中仍有程序在运行：", u"Programs are still running in terminals:"},
    {221, u"关闭将结束它们（包括用 start 打开的窗口）及其未保存的工作。仍要关闭吗？",
     u"Closing ends them (windows opened with start included) and their unsaved work. Close anyway?"},
    {222, u"[已重启 Shell]", u"[Shell restarted]"},
    {223, u"重启此终端的 Shell 吗？当前 Shell 及其启动的程序将被结束，已有输出会保留。",
     u"Restart this terminal's shell? The current shell and everything it started end; the transcript stays."},
    {224, u"清除命令历史", u"Clear command history"},
    {225, u"清除 CMD 和 PowerShell 已保存的命令历史，以及已打开终端的历史吗？此操作无法撤销。",
     u"Clear the saved command history of CMD and PowerShell, and the history of the open terminals? This cannot be "
     u"undone."},
    {226, u"[已清除命令历史]", u"[Command history cleared]"},
    {227, u"[失败] 命令历史未能清除：无法写入", u"[Failed] Command history not cleared: cannot write"},
};

constexpr bool rowsInIdOrder() {
    int index = 0;
    for (const TextRow& row : kRows) {
        if (row.id != index++) return false;
    }
    return index == kUiTextCount;
}
static_assert(rowsInIdOrder(), "the text table must hold every id in order");

int gLanguage = 0;

}  // namespace

int uiLanguage() { return gLanguage; }
void setUiLanguage(int language) { gLanguage = language; }
bool uiEnglish() { return gLanguage == 1; }

int languageFromSetting(const std::u16string& stored) { return stored == u"en-US" ? 1 : 0; }

std::u16string uiTextIn(int language, int id) {
    if (id < 0 || id >= kUiTextCount) return {};
    return language == 1 ? kRows[id].en : kRows[id].zh;
}

std::u16string uiText(int id) { return uiTextIn(gLanguage, id); }

std::u16string uiTextWith(int id, const std::vector<std::u16string>& values) {
    std::u16string text = uiText(id);
    size_t from = 0;
    for (const std::u16string& value : values) {
        size_t at = text.find(u"%s", from);
        if (at == std::u16string::npos) break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

std::u16string localized(const std::u16string& chinese, const std::u16string& english) {
    return uiEnglish() && !english.empty() ? english : chinese;
}
