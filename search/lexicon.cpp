#include "search/lexicon.h"

#include <initializer_list>

namespace {

using Words = std::initializer_list<const char16_t*>;

struct RuleText {
    Words keywords;
    Words categories;
    Words fileHints;
    Words peers;
};

struct AliasText {
    const char16_t* toolId;
    Words aliases;
};

// Lower case throughout: queries are lower-cased before matching, entries are not.
// A rule that names peers pads only those tools, never the rest of a category.
const RuleText kRules[] = {
    {{u"上不了网", u"连不上网", u"断网", u"无法上网", u"网络", u"上网", u"ip", u"网关", u"网线", u"网卡", u"network",
      u"internet", u"offline"},
     {u"network"},
     {u"ncpa.cpl", u"inetcpl.cpl", u"mstsc", u"msra"},
     {}},
    {{u"网页打不开", u"打不开网站", u"代理", u"浏览器", u"proxy", u"browser"}, {u"network"}, {u"inetcpl.cpl"}, {}},
    {{u"防火墙", u"端口", u"被拦", u"firewall", u"port"}, {u"network", u"security"}, {u"wf.msc", u"firewall.cpl"}, {}},
    {{u"远程", u"桌面连接", u"远程桌面", u"远程协助", u"remote", u"rdp", u"3389"},
     {},
     {u"mstsc", u"msra"},
     {u"builtin.mstsc", u"builtin.msra", u"builtin.wf", u"builtin.firewall", u"builtin.sysdm", u"builtin.services"}},
    {{u"慢", u"卡", u"卡顿", u"性能", u"占用", u"cpu", u"内存", u"风扇", u"发热", u"slow", u"performance", u"memory",
      u"lag"},
     {},
     {u"perfmon", u"resmon", u"taskmgr"},
     {u"builtin.perfmon", u"builtin.resmon", u"builtin.taskmgr"}},
    {{u"蓝屏", u"崩溃", u"死机", u"报错", u"错误", u"日志", u"事件", u"闪退", u"停止工作", u"自动重启", u"应用程序错误",
      u"crash", u"bsod", u"blue screen", u"bugcheck", u"stopped working", u"error", u"event"},
     {},
     {u"eventvwr"},
     {u"builtin.eventvwr", u"builtin.perfmon-rel", u"builtin.mdsched", u"builtin.sfc", u"builtin.dism",
      u"builtin.rstrui"}},
    {{u"磁盘", u"硬盘", u"空间", u"满了", u"分区", u"格式化", u"卷", u"清理", u"碎片", u"c盘", u"d盘", u"盘满", u"坏道",
      u"disk", u"space", u"partition", u"c drive", u"chkdsk"},
     {},
     {u"diskmgmt", u"cleanmgr", u"dfrgui", u"diskpart"},
     {u"builtin.diskmgmt", u"builtin.cleanmgr", u"builtin.dfrgui", u"builtin.resmon"}},
    {{u"服务", u"后台", u"service", u"daemon"},
     {},
     {u"services.msc"},
     {u"builtin.services", u"builtin.eventvwr", u"builtin.compmgmt"}},
    {{u"开机启动", u"启动项", u"自启", u"开机慢", u"startup", u"msconfig", u"boot"},
     {},
     {u"msconfig", u"taskmgr"},
     {u"builtin.msconfig", u"builtin.taskmgr", u"builtin.taskschd"}},
    {{u"用户", u"账户", u"帐户", u"账号", u"帐号", u"密码", u"权限", u"登录", u"锁定", u"组", u"user", u"account",
      u"password", u"permission"},
     {},
     {u"lusrmgr", u"secpol", u"gpedit", u"netplwiz"},
     {u"builtin.lusrmgr", u"builtin.secpol", u"builtin.gpedit", u"builtin.credman", u"builtin.compmgmt"}},
    {{u"策略", u"组策略", u"安全策略", u"policy", u"gpo"},
     {},
     {u"gpedit", u"secpol"},
     {u"builtin.gpedit", u"builtin.secpol", u"builtin.rsop"}},
    {{u"设备", u"驱动", u"硬件", u"无法识别", u"叹号", u"device", u"driver", u"hardware"},
     {},
     {u"devmgmt"},
     {u"builtin.devmgmt", u"builtin.msinfo32", u"builtin.eventvwr"}},
    {{u"打印", u"打印机", u"扫描", u"脱机", u"打不出", u"print", u"printer", u"spooler"},
     {},
     {u"print"},
     {u"builtin.printmanagement", u"builtin.services", u"builtin.devmgmt"}},
    {{u"卸载", u"安装", u"程序", u"默认程序", u"软件", u"uninstall", u"install", u"program"},
     {},
     {u"appwiz.cpl"},
     {u"builtin.appwiz"}},
    {{u"注册表", u"registry", u"regedit"}, {}, {u"regedit"}, {u"builtin.regedit"}},
    {{u"时间", u"日期", u"区域", u"时区", u"time", u"date", u"region"},
     {},
     {u"timedate.cpl", u"intl.cpl"},
     {u"builtin.timedate", u"builtin.intl"}},
    {{u"共享", u"文件夹", u"share", u"smb"},
     {},
     {u"fsmgmt"},
     {u"builtin.fsmgmt", u"builtin.compmgmt", u"builtin.netcenter", u"builtin.services"}},
    {{u"计算机管理", u"管理", u"computer management"}, {}, {u"compmgmt"}, {u"builtin.compmgmt"}},
    // Wi-Fi drops: the adapter, its driver and power saving, the WLAN log.
    {{u"wifi", u"wi-fi", u"wlan", u"wireless", u"无线", u"热点", u"掉线", u"断流", u"信号", u"dropping",
      u"disconnects"},
     {},
     {u"ncpa.cpl"},
     {u"builtin.ncpa", u"builtin.netcenter", u"builtin.devmgmt", u"builtin.powercfg", u"builtin.eventvwr"}},
    {{u"dns", u"域名", u"解析", u"nslookup", u"找不到服务器", u"server not found"},
     {},
     {u"ncpa.cpl"},
     {u"builtin.ncpa", u"builtin.netcenter", u"builtin.services"}},
    // Windows Update: its service, its log, free space and the component store.
    {{u"更新", u"补丁", u"update", u"wuauserv", u"hotfix", u"0x8024"},
     {},
     {u"services.msc", u"eventvwr"},
     {u"builtin.services", u"builtin.eventvwr", u"builtin.perfmon-rel", u"builtin.cleanmgr", u"builtin.dism",
      u"builtin.sfc"}},
    {{u"时钟", u"对时", u"校时", u"同步时间", u"时间同步", u"时间不对", u"时间不准", u"clock", u"ntp", u"w32time",
      u"w32tm", u"time sync"},
     {},
     {u"timedate.cpl"},
     {u"builtin.timedate", u"builtin.services", u"builtin.eventvwr"}},
    {{u"证书", u"不受信任", u"certificate", u"cert", u"ssl", u"tls", u"https", u"not trusted"},
     {},
     {u"certmgr", u"certlm"},
     {u"builtin.certmgr", u"builtin.certlm", u"builtin.timedate", u"builtin.inetcpl"}},
    // Lock-outs and expired passwords: the account, the policy, stale saved
    // passwords and the security log.
    {{u"被锁", u"锁住", u"密码过期", u"密码到期", u"登不上", u"登录不了", u"无法登录", u"locked", u"lockout",
      u"password expired", u"login", u"logon", u"sign in"},
     {},
     {u"lusrmgr", u"secpol"},
     {u"builtin.lusrmgr", u"builtin.secpol", u"builtin.credman", u"builtin.eventvwr"}},
    {{u"usb", u"u盘", u"优盘", u"移动硬盘", u"蓝牙", u"bluetooth", u"不识别", u"识别不了", u"读不出", u"not recognized",
      u"not detected", u"flash drive"},
     {},
     {u"devmgmt"},
     {u"builtin.devmgmt", u"builtin.diskmgmt", u"builtin.services", u"builtin.eventvwr"}},
};

// Words that name too much to point at a tool: they count only when the query
// names nothing more specific ("blue screen" is not about the display).
const char16_t* const kBroadWords[] = {u"screen",  u"屏幕",    u"显示", u"display", u"管理",    u"程序",  u"软件",
                                       u"program", u"control", u"note", u"文本",    u"offline", u"文件夹"};

const AliasText kAliases[] = {
    {u"builtin.compmgmt", {u"计算机管理", u"管理工具", u"computer management"}},
    {u"builtin.devmgmt",
     {u"设备", u"驱动", u"驱动程序", u"硬件", u"无法识别", u"感叹号", u"未知设备", u"device", u"driver", u"hardware",
      u"unknown device", u"usb", u"u盘", u"蓝牙", u"bluetooth", u"不识别", u"not recognized"}},
    {u"builtin.services",
     {u"服务", u"服务没启动", u"服务停了", u"重启服务", u"开机自启", u"后台服务", u"service", u"services",
      u"restart service", u"service not running", u"w32time", u"wuauserv", u"windows update"}},
    {u"builtin.eventvwr",
     {u"日志", u"事件", u"报错", u"错误日志", u"蓝屏日志", u"崩溃", u"系统日志", u"event", u"log", u"error", u"crash",
      u"蓝屏", u"闪退", u"应用程序错误", u"bsod", u"blue screen", u"application error", u"stopped working",
      u"event viewer"}},
    {u"builtin.taskschd",
     {u"计划任务", u"定时任务", u"定时运行", u"开机运行", u"schedule", u"scheduled task", u"task scheduler", u"cron"}},
    {u"builtin.perfmon", {u"性能", u"性能计数器", u"监控", u"performance", u"perfmon", u"counter"}},
    {u"builtin.perfmon-rel",
     {u"可靠性", u"可靠性监视器", u"稳定性", u"reliability", u"崩溃", u"闪退", u"蓝屏", u"可靠性历史", u"crash",
      u"bsod", u"blue screen", u"reliability history"}},
    {u"builtin.fsmgmt", {u"共享", u"共享文件夹", u"网络共享", u"共享权限", u"smb", u"shared folder", u"share"}},
    {u"builtin.comexp", {u"组件服务", u"dcom", u"com+", u"component services"}},
    {u"builtin.lusrmgr",
     {u"用户", u"账户", u"本地用户", u"用户组", u"新建用户", u"禁用账户", u"密码", u"local user", u"account",
      u"user group", u"add user", u"账号", u"帐户", u"被锁", u"解锁", u"密码过期", u"locked out", u"unlock",
      u"password expired"}},
    {u"builtin.wmimgmt", {u"wmi", u"wmi 控制", u"wmi control"}},
    {u"builtin.diskmgmt",
     {u"磁盘", u"硬盘", u"分区", u"卷", u"格式化", u"新建分区", u"盘符", u"扩展卷", u"压缩卷", u"disk", u"partition",
      u"volume", u"format", u"drive letter", u"移动硬盘", u"没有盘符", u"no drive letter"}},
    {u"builtin.storagespaces", {u"存储空间", u"存储池", u"storage spaces", u"storage pool"}},
    {u"builtin.wf",
     {u"防火墙", u"入站规则", u"出站规则", u"端口", u"放行端口", u"拦截", u"firewall", u"inbound", u"outbound", u"port",
      u"block", u"allow port"}},
    {u"builtin.secpol",
     {u"安全策略", u"本地安全策略", u"密码策略", u"账户锁定", u"审核策略", u"security policy", u"password policy",
      u"account lockout", u"audit policy"}},
    {u"builtin.gpedit", {u"组策略", u"策略", u"本地组策略", u"group policy", u"gpedit", u"policy"}},
    {u"builtin.certmgr",
     {u"证书", u"用户证书", u"certificate", u"user cert", u"ssl", u"https", u"证书过期", u"certificate expired"}},
    {u"builtin.certlm", {u"计算机证书", u"机器证书", u"computer certificate", u"machine cert"}},
    {u"builtin.tpm", {u"tpm", u"可信平台模块", u"trusted platform module"}},
    {u"builtin.rsop", {u"策略结果", u"生效的策略", u"rsop", u"resultant set of policy"}},
    {u"builtin.printmanagement",
     {u"打印", u"打印机", u"打印队列", u"打印管理", u"print", u"printer", u"print queue", u"spooler"}},
    {u"builtin.sysdm",
     {u"系统属性", u"计算机名", u"环境变量", u"远程设置", u"系统保护", u"虚拟内存", u"性能选项", u"system properties",
      u"computer name", u"environment variable", u"virtual memory"}},
    {u"builtin.ncpa", {u"网络",    u"网络连接",   u"网卡",        u"ip",       u"ip 地址", u"dns",      u"上不了网",
                       u"断网",    u"连不上网",   u"无线",        u"wifi",     u"以太网",  u"禁用网卡", u"network",
                       u"adapter", u"ip address", u"no internet", u"ethernet", u"wi-fi",   u"wlan",     u"wireless"}},
    {u"builtin.inetcpl",
     {u"internet 选项", u"浏览器设置", u"代理", u"代理服务器", u"网页打不开", u"清除缓存", u"internet options",
      u"proxy", u"browser", u"clear cache"}},
    {u"builtin.firewall", {u"防火墙", u"防火墙设置", u"允许应用", u"firewall", u"allow app"}},
    {u"builtin.netcenter",
     {u"网络和共享中心", u"网络状态", u"适配器设置", u"network and sharing center", u"network status"}},
    {u"builtin.powercfg",
     {u"电源", u"电源选项", u"睡眠", u"休眠", u"盖上盖子", u"唤醒", u"高性能", u"省电", u"power", u"power options",
      u"sleep", u"hibernate", u"battery"}},
    {u"builtin.desk", {u"显示", u"分辨率", u"显示设置", u"屏幕", u"多显示器", u"display", u"resolution", u"screen"}},
    {u"builtin.timedate",
     {u"时间", u"日期", u"时区", u"对时", u"校时", u"time", u"date", u"timezone", u"clock", u"时钟", u"时间不对",
      u"时间同步", u"ntp", u"time sync", u"wrong time"}},
    {u"builtin.appwiz",
     {u"卸载", u"卸载程序", u"安装的程序", u"程序和功能", u"添加删除程序", u"uninstall", u"installed programs",
      u"programs and features"}},
    {u"builtin.intl",
     {u"区域", u"语言", u"区域设置", u"非unicode", u"编码", u"乱码", u"region", u"language", u"locale", u"non-unicode",
      u"encoding"}},
    {u"builtin.access",
     {u"轻松使用", u"辅助功能", u"放大镜", u"高对比度", u"accessibility", u"ease of access", u"magnifier"}},
    {u"builtin.wscui", {u"安全中心", u"windows 安全", u"维护", u"security center", u"windows security"}},
    {u"builtin.main", {u"鼠标", u"鼠标设置", u"双击速度", u"指针", u"mouse", u"pointer", u"double click"}},
    {u"builtin.mmsys",
     {u"声音", u"音频", u"没声音", u"扬声器", u"麦克风", u"录音设备", u"播放设备", u"sound", u"audio", u"no sound",
      u"speaker", u"microphone"}},
    {u"builtin.joy", {u"游戏控制器", u"手柄", u"game controller", u"joystick", u"gamepad"}},
    {u"builtin.telephon", {u"电话和调制解调器", u"调制解调器", u"modem", u"phone and modem"}},
    {u"builtin.msconfig",
     {u"系统配置", u"启动项", u"开机启动", u"引导", u"安全模式", u"开机慢", u"msconfig", u"startup", u"boot",
      u"safe mode", u"slow boot"}},
    {u"builtin.msinfo32",
     {u"系统信息", u"电脑配置", u"硬件信息", u"型号", u"序列号", u"system information", u"hardware info", u"pc spec"}},
    {u"builtin.regedit", {u"注册表", u"注册表编辑器", u"registry", u"regedit"}},
    {u"builtin.resmon",
     {u"资源监视器", u"资源占用", u"网络占用", u"磁盘占用", u"句柄", u"resource monitor", u"resource usage",
      u"disk activity"}},
    {u"builtin.taskmgr",
     {u"任务管理器", u"结束进程", u"卡死", u"无响应", u"cpu 占用", u"内存占用", u"启动项", u"task manager", u"end task",
      u"not responding", u"cpu usage", u"memory usage"}},
    {u"builtin.dxdiag", {u"dxdiag", u"directx", u"显卡信息", u"声卡", u"directx diagnostic", u"graphics info"}},
    {u"builtin.cleanmgr",
     {u"磁盘清理", u"清理", u"空间不足", u"磁盘满", u"临时文件", u"垃圾文件", u"disk cleanup", u"low disk space",
      u"disk full", u"temp files", u"c盘", u"c drive"}},
    {u"builtin.rstrui", {u"系统还原", u"还原点", u"恢复系统", u"回滚", u"system restore", u"restore point"}},
    {u"builtin.mstsc", {u"远程桌面", u"远程连接", u"远程登录", u"mstsc", u"rdp", u"remote desktop"}},
    {u"builtin.msra", {u"远程协助", u"求助", u"协助", u"msra", u"remote assistance"}},
    {u"builtin.dfrgui", {u"碎片整理", u"优化驱动器", u"磁盘优化", u"defrag", u"optimize drive", u"trim"}},
    {u"builtin.mdsched", {u"内存诊断", u"内存检测", u"内存报错", u"memory diagnostic", u"ram test"}},
    {u"builtin.psr", {u"步骤记录器", u"录制操作", u"重现问题", u"steps recorder", u"record steps"}},
    {u"builtin.powershell", {u"powershell", u"命令行", u"脚本", u"shell", u"ps"}},
    {u"builtin.cmd", {u"cmd", u"命令提示符", u"命令行", u"dos", u"command prompt"}},
    {u"builtin.wt", {u"windows 终端", u"windows terminal", u"terminal", u"wt"}},
    {u"builtin.sfc", {u"系统文件检查", u"修复系统文件", u"sfc", u"scannow", u"system file checker"}},
    {u"builtin.dism", {u"dism", u"映像修复", u"系统映像", u"修复 windows", u"restorehealth", u"repair image"}},
    {u"builtin.diskpart", {u"diskpart", u"命令行分区", u"清盘", u"clean disk", u"partition command"}},
    {u"builtin.bitlocker", {u"bitlocker", u"加密", u"磁盘加密", u"驱动器加密", u"encryption", u"drive encryption"}},
    {u"builtin.optionalfeatures",
     {u"windows 功能", u"启用或关闭", u"iis", u"hyper-v", u"wsl", u".net", u"windows features",
      u"turn windows features"}},
    {u"builtin.control", {u"控制面板", u"control panel", u"control"}},
    {u"builtin.credman",
     {u"凭据管理器", u"保存的密码", u"凭据", u"credential manager", u"saved password", u"保存的凭据",
      u"saved credential"}},
    {u"builtin.odbc", {u"odbc", u"数据源", u"数据库连接", u"data source", u"dsn"}},
    {u"builtin.charmap", {u"字符映射表", u"特殊字符", u"符号", u"character map", u"special character"}},
    {u"builtin.colorcpl", {u"颜色管理", u"色彩", u"color management", u"icc"}},
    {u"builtin.sdclt", {u"备份", u"还原", u"备份和还原", u"backup", u"restore", u"backup and restore"}},
    {u"builtin.mspaint", {u"画图", u"绘图", u"paint"}},
    {u"builtin.snip.new", {u"截图", u"截屏", u"屏幕截图", u"snip", u"screenshot", u"snipping"}},
    {u"builtin.snip.old", {u"截图", u"截屏", u"屏幕截图", u"snip", u"screenshot", u"snipping"}},
    {u"builtin.notepad", {u"记事本", u"文本", u"notepad", u"text editor"}},
    {u"builtin.recorder.new", {u"录音", u"录音机", u"voice recorder", u"record audio"}},
    {u"builtin.recorder.old", {u"录音", u"录音机", u"voice recorder", u"record audio"}},
    {u"builtin.stickynotes", {u"便笺", u"便签", u"sticky notes", u"note"}},
    {u"builtin.photos", {u"照片", u"看图", u"图片", u"photos", u"image viewer"}},
};

std::vector<std::u16string> toStrings(Words words) { return std::vector<std::u16string>(words.begin(), words.end()); }

}  // namespace

const std::vector<SymptomRule>& symptomRules() {
    static const std::vector<SymptomRule> rules = [] {
        std::vector<SymptomRule> built;
        for (const RuleText& rule : kRules)
            built.push_back({toStrings(rule.keywords), toStrings(rule.categories), toStrings(rule.fileHints),
                             toStrings(rule.peers)});
        return built;
    }();
    return rules;
}

const std::map<std::u16string, std::vector<std::u16string>>& toolAliases() {
    static const std::map<std::u16string, std::vector<std::u16string>> aliases = [] {
        std::map<std::u16string, std::vector<std::u16string>> built;
        for (const AliasText& entry : kAliases) built.emplace(entry.toolId, toStrings(entry.aliases));
        return built;
    }();
    return aliases;
}

bool isBroadWord(std::u16string_view entry) {
    for (const char16_t* word : kBroadWords)
        if (entry == word) return true;
    return false;
}
