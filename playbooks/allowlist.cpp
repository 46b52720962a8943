#include "playbooks/allowlist.h"

#include <iterator>
#include <vector>

#include "data/text.h"

namespace {

// ---------------------------------------------------------------------------
// Reasons: one sentence in each language. A reason ending in a colon is
// followed by the offending token or character.

struct Reason {
    const char16_t* zh;
    const char16_t* en;
};

constexpr Reason kEmptyCommand = {u"命令为空。", u"The command is empty."};
constexpr Reason kTooLong = {
    u"命令超过 2047 个字符。过长的命令行会被截断，截断后的部分可能作为另一条命令运行。",
    u"The command is longer than 2047 characters. A line that long is cut, and the rest may run as a command of its "
    u"own."};
constexpr Reason kHiddenChar = {
    u"命令含控制字符、换行或不可见字符，显示的内容与 shell 收到的不同（疑似命令注入）。",
    u"The command holds a control, line-break or invisible character, so what is shown differs from what the shell "
    u"gets (possible command injection)."};
constexpr Reason kTypographicChar = {u"命令含排版用的破折号或引号，PowerShell 会把它当作 - 或引号：",
                                     u"The command holds a typographic dash or quote, which PowerShell reads as - or "
                                     u"a quote: "};
constexpr Reason kForbiddenChar = {u"命令含可串联、重定向或展开命令的字符：",
                                   u"The command holds a character that can chain, redirect or expand commands: "};
constexpr Reason kRemoteLiteral = {
    u"远程主机只能写成占位符（如 {host}），由用户自己填写：",
    u"A remote host may only be given as a placeholder such as {host}, which the user fills in: "};
constexpr Reason kWin32Product = {
    u"查询 Win32_Product 会让 Windows Installer 校验并修复每个已安装的程序，不是只读操作。",
    u"Querying Win32_Product makes Windows Installer check and repair every installed program: it is not read-only."};
constexpr Reason kHasPath = {u"命令名不得含路径或盘符：", u"The command name may not hold a path or drive: "};
constexpr Reason kNotListed = {u"命令不在只读命令白名单中：", u"The command is not on the read-only list: "};
constexpr Reason kWritesOrConnects = {
    u"该参数会写文件、连接其他主机或携带凭据，已禁用：",
    u"This parameter writes files, reaches another host or carries credentials, so it is refused: "};
constexpr Reason kIpconfig = {u"ipconfig 只允许 /all 和 /displaydns。", u"ipconfig allows only /all and /displaydns."};
constexpr Reason kNetstat = {u"netstat 不允许 -b（需要管理员权限）。",
                             u"netstat does not allow -b (it needs administrator rights)."};
constexpr Reason kArp = {u"arp 只允许 -a。", u"arp allows only -a."};
constexpr Reason kRoute = {u"route 只允许 print，且不带 -f（-f 会清空路由表）。",
                           u"route allows only print, without -f (which flushes the routing table)."};
constexpr Reason kSc = {u"sc 只允许 query 或 qc。", u"sc allows only query or qc."};
constexpr Reason kScParameter = {
    u"PowerShell 中 sc 是 Set-Content，query/qc 之后不得有以 - 开头的参数：",
    u"In PowerShell sc is Set-Content, so no argument after query or qc may start with -: "};
constexpr Reason kNet = {
    u"net 只允许 view、statistics、不带开关的 accounts，或查看一个账户的 user（net user [名称] [/domain]）。",
    u"net allows only view, statistics, accounts without switches, or user to show one account (net user [name] "
    u"[/domain])."};
constexpr Reason kW32tm = {u"w32tm 只允许 /query 加 /status、/source、/peers 或 /configuration，或 /tz。",
                           u"w32tm allows only /query with /status, /source, /peers or /configuration, or /tz."};
constexpr Reason kNetsh = {u"netsh 只允许 wlan show interfaces/drivers/networks/settings 和 winhttp show proxy。",
                           u"netsh allows only wlan show interfaces/drivers/networks/settings and winhttp show proxy."};
constexpr Reason kPowercfg = {u"powercfg 只允许 /list 或 /query，且后面不带其他开关。",
                              u"powercfg allows only /list or /query, with no further switch."};
constexpr Reason kChkdsk = {u"chkdsk 只允许只读扫描，不得带修复开关：",
                            u"chkdsk may only scan read-only, without a repair switch: "};
constexpr Reason kPsNotListed = {u"该 PowerShell 命令不在只读命令表中：",
                                 u"The PowerShell command is not on the read-only list: "};
constexpr Reason kPsParameter = {u"该参数不在此 PowerShell 命令允许的参数表中：",
                                 u"The parameter is not among those this PowerShell command may take: "};
constexpr Reason kPsPipelineStart = {
    u"该命令只能作为管道的第一段，后面只能接选择和格式化命令：",
    u"This command may only start a pipeline; only selecting and formatting commands may follow it: "};
constexpr Reason kPsNativeProgram = {
    u"带 .exe 的名称是外部程序，不是只读命令表中的 PowerShell 命令：",
    u"A name with .exe is a program, not a PowerShell command of the read-only list: "};
constexpr Reason kSortSwitch = {u"在 cmd 中 sort 是 sort.exe，不得带以 / 开头的开关（/o 会写文件）：",
                                u"Under cmd sort is sort.exe, so it may take no /-switch (/o writes a file): "};
constexpr Reason kCimClass = {
    u"该 CIM/WMI 类不在只读类表中（类名须紧跟命令或 -ClassName）：",
    u"The CIM/WMI class is not on the read-only class list (name it right after the command or -ClassName): "};

CommandVerdict allow() { return {true, {}, {}}; }

CommandVerdict refuse(const Reason& reason, const std::u16string& detail = {}) {
    return {false, reason.zh + detail, reason.en + detail};
}

// ---------------------------------------------------------------------------
// Text helpers.

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool endsWith(const std::u16string& text, const std::u16string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isOneOf(const std::u16string& text, std::initializer_list<const char16_t*> listed) {
    for (const char16_t* item : listed) {
        if (text == item) return true;
    }
    return false;
}

std::u16string trimBlanks(const std::u16string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::vector<std::u16string> splitBlanks(const std::u16string& text) {
    std::vector<std::u16string> tokens;
    std::u16string current;
    for (char16_t c : text) {
        if (isBlank(c)) {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

// ---------------------------------------------------------------------------
// Placeholders. The words a playbook leaves for the user to fill in. Under
// PowerShell a brace pair is a script block that some cmdlets run, so only these
// words count, and none of them names a command that changes anything
// (PowerShell's Get- fallback makes "host" and "printer" mean Get-Host and
// Get-Printer at most).

constexpr const char16_t* kPlaceholderNames[] = {u"gateway", u"host", u"printer", u"user"};

// A placeholder becomes this one private-use unit in the judged copy, so that a
// remote-host argument can be told to be a placeholder and nothing else. The
// private-use area is refused in the stored text, so it never occurs there.
constexpr char16_t kPlaceholderMark = 0xE000;

// Length of the listed placeholder that starts at `at` (its braces included), or 0.
size_t placeholderLength(const std::u16string& command, size_t at, size_t end) {
    if (command[at] != u'{') return 0;
    size_t close = command.find(u'}', at + 1);
    if (close == std::u16string::npos || close >= end) return 0;
    std::u16string name = command.substr(at + 1, close - at - 1);
    for (const char16_t* listed : kPlaceholderNames) {
        if (name == listed) return close - at + 1;
    }
    return 0;
}

// Stops at `end` so the rest is copied unchanged.
std::u16string substitutePlaceholders(const std::u16string& command, size_t end) {
    std::u16string out;
    size_t i = 0;
    while (i < command.size()) {
        size_t length = i < end ? placeholderLength(command, i, end) : 0;
        if (length > 0) {
            out += kPlaceholderMark;
            i += length;
            continue;
        }
        out += command[i];
        ++i;
    }
    return out;
}

// A token of the judged copy as a reason quotes it: placeholders written as the user sees them.
std::u16string shown(const std::u16string& token) {
    std::u16string out;
    for (char16_t c : token) {
        if (c == kPlaceholderMark) {
            out += u"{…}";
        } else {
            out += c;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Characters that hide or change text.

struct CodeRange {
    char32_t first;
    char32_t last;
};

// Default_Ignorable_Code_Point, from DerivedCoreProperties.txt of Unicode 15.1.0
// (every range of the property, reserved code points included): text that a
// console or editor shows as nothing. The soft hyphen (U+00AD) is one of them;
// code page 437 turns it into "-".
constexpr CodeRange kDefaultIgnorable[] = {
    {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x061C, 0x061C},   {0x115F, 0x1160},   {0x17B4, 0x17B5},   {0x180B, 0x180F},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x206F},   {0x3164, 0x3164},   {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

bool inRanges(char32_t c, const CodeRange* ranges, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (c >= ranges[i].first && c <= ranges[i].last) return true;
    }
    return false;
}

// C0 and C1 controls and DEL, the line and paragraph separators, the
// default-ignorable set, the private-use area (no visible meaning, and the
// placeholder mark) and unpaired surrogates.
bool hidesText(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0xE000 && c <= 0xF8FF))
            return true;
        if (inRanges(c, kDefaultIgnorable, std::size(kDefaultIgnorable))) return true;
    }
    return false;
}

// PowerShell reads the en and em dashes and the horizontal bar as "-", and the
// curly quotes as quotes; the hyphens beside them are refused with them.
bool isTypographic(char16_t c) { return (c >= 0x2010 && c <= 0x2015) || (c >= 0x2018 && c <= 0x201F); }

// What chains, redirects, escapes or expands in either shell: cmd's % ^ ! and
// its parentheses, PowerShell's ; $ @ braces and subexpressions, both shells'
// & and redirections. The pipe is PowerShell's own, judged segment by segment.
constexpr const char16_t* kForbiddenInBoth = u">`<&%^();${}@!";

// The first character of `set` (in set order) that occurs in text, or 0.
char16_t firstForbidden(const std::u16string& text, const std::u16string& set) {
    for (char16_t c : set) {
        if (text.find(c) != std::u16string::npos) return c;
    }
    return 0;
}

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Two path separators in a row open a UNC path (\\host, //host, \/host,
// \\?\UNC\host), and Windows logs on to that host on its own. Only a placeholder
// may follow them. Returns the offending blank-separated token, or empty.
std::u16string literalUncHost(const std::u16string& work) {
    for (size_t i = 0; i + 1 < work.size(); ++i) {
        if (!isSeparator(work[i]) || !isSeparator(work[i + 1])) continue;
        size_t after = i + 2;
        bool placeholder = after < work.size() && work[after] == kPlaceholderMark &&
                           (after + 1 == work.size() || isBlank(work[after + 1]) || isSeparator(work[after + 1]));
        if (placeholder) {
            i = after;
            continue;
        }
        size_t begin = i;
        while (begin > 0 && !isBlank(work[begin - 1])) --begin;
        size_t end = i;
        while (end < work.size() && !isBlank(work[end])) ++end;
        return work.substr(begin, end - begin);
    }
    return {};
}

// Quotes dropped and commas cut, as a program may see its arguments from
// either shell: cmd's C runtime drops double quotes, PowerShell drops single and
// double ones, and a comma separates arguments
// for cmd's own parsing and for PowerShell's arrays. So '/x', "/x" and D:,/x all
// count as carrying /x. The pieces are lower-cased; empty ones are dropped.
std::vector<std::u16string> argumentPieces(const std::vector<std::u16string>& tokens, size_t from) {
    std::vector<std::u16string> pieces;
    for (size_t i = from; i < tokens.size(); ++i) {
        std::u16string piece;
        for (char16_t c : tokens[i]) {
            if (c == u'"' || c == u'\'') continue;
            if (c == u',') {
                if (!piece.empty()) pieces.push_back(lowerAscii(piece));
                piece.clear();
                continue;
            }
            piece += c;
        }
        if (!piece.empty()) pieces.push_back(lowerAscii(piece));
    }
    return pieces;
}

bool isSwitch(const std::u16string& piece) { return !piece.empty() && (piece[0] == u'/' || piece[0] == u'-'); }

// ---------------------------------------------------------------------------
// cmd programs.

// chkdsk switches may be glued ("/f/r", "c:/f") and carry values ("/L:5000").
// What comes before the first separator is a volume or path ("F:", "F:\"),
// never a switch: only the parts after a "/" or "-" are.
bool chkdskArgumentRepairs(const std::u16string& piece) {
    static const char16_t* const kRepairSwitches[] = {u"f",
                                                      u"r",
                                                      u"x",
                                                      u"b",
                                                      u"spotfix",
                                                      u"offlinescanandfix",
                                                      u"forceofflinefix",
                                                      u"sdcleanup",
                                                      u"freeorphanedchains",
                                                      u"markclean",
                                                      u"l",
                                                      u"scan"};
    size_t cut = piece.find_first_of(u"/-");
    while (cut != std::u16string::npos) {
        size_t next = piece.find_first_of(u"/-", cut + 1);
        std::u16string name =
            piece.substr(cut + 1, next == std::u16string::npos ? std::u16string::npos : next - cut - 1);
        size_t colon = name.find(u':');
        if (colon != std::u16string::npos) name.resize(colon);
        for (const char16_t* s : kRepairSwitches) {
            if (name == s) return true;
        }
        cut = next;
    }
    return false;
}

// route's -f flushes the table wherever it stands, also inside combined switches.
bool routeArgumentFlushes(const std::u16string& piece) {
    return isSwitch(piece) && piece.find(u'f') != std::u16string::npos;
}

// The programs of the common remote switches: /s names a host to log on to,
// /u and /p give it an account and password. A glued value ("/s:host") counts too.
CommandVerdict checkRemoteSwitches(const std::vector<std::u16string>& pieces) {
    const std::u16string mark(1, kPlaceholderMark);
    for (size_t i = 0; i < pieces.size(); ++i) {
        size_t colon = pieces[i].find(u':');
        std::u16string name = pieces[i].substr(0, colon);
        if (isOneOf(name, {u"/u", u"-u", u"/p", u"-p"})) return refuse(kWritesOrConnects, name);
        if (!isOneOf(name, {u"/s", u"-s"})) continue;
        std::u16string value = colon != std::u16string::npos ? pieces[i].substr(colon + 1)
                               : i + 1 < pieces.size()       ? pieces[i + 1]
                                                             : std::u16string();
        if (value == mark) continue;
        std::u16string detail = name;
        detail.append(u" ").append(shown(value));
        return refuse(kRemoteLiteral, detail);
    }
    return allow();
}

// net user and net accounts change what they are given switches or values for:
// "net user NAME PASS", "net user NAME *" (asks for a new password), "/active:no",
// "net accounts /lockoutthreshold:0". Only the bare forms that print are allowed.
bool netReadsOnly(const std::vector<std::u16string>& pieces) {
    if (pieces.empty()) return false;
    if (isOneOf(pieces[0], {u"view", u"statistics"})) return true;
    const bool domain = pieces.size() > 1 && pieces.back() == u"/domain";
    const size_t rest = pieces.size() - 1 - (domain ? 1 : 0);
    if (pieces[0] == u"accounts") return rest == 0;
    if (pieces[0] != u"user") return false;
    if (rest == 0) return true;
    const std::u16string& account = pieces[1];
    return rest == 1 && !isSwitch(account) && account.find(u'*') == std::u16string::npos;
}

// w32tm reads the time service with /query and /tz; /resync, /config,
// /register and the like change it, and /stripchart or /computer reach other hosts.
bool w32tmReadsOnly(const std::vector<std::u16string>& pieces) {
    if (pieces.size() == 1 && pieces[0] == u"/tz") return true;
    if (pieces.size() < 2 || pieces[0] != u"/query") return false;
    if (!isOneOf(pieces[1], {u"/status", u"/source", u"/peers", u"/configuration"})) return false;
    return pieces.size() == 2 || (pieces.size() == 3 && pieces[2] == u"/verbose");
}

// Only the show forms that print state: not "wlan show profile ... key=clear"
// (prints the Wi-Fi password), not "wlan show wlanreport" (writes a report).
bool netshReadsOnly(const std::vector<std::u16string>& pieces) {
    if (pieces.size() == 3 && pieces[0] == u"winhttp" && pieces[1] == u"show" && pieces[2] == u"proxy") return true;
    if (pieces.size() < 3 || pieces[0] != u"wlan" || pieces[1] != u"show") return false;
    if (isOneOf(pieces[2], {u"interfaces", u"drivers", u"settings"})) return pieces.size() == 3;
    if (pieces[2] != u"networks") return false;
    return pieces.size() == 3 || (pieces.size() == 4 && pieces[3] == u"mode=bssid");
}

CommandVerdict checkCmdCommand(const std::u16string& command) {
    std::vector<std::u16string> tokens = splitBlanks(command);
    if (tokens.empty()) return refuse(kEmptyCommand);
    NormalisedCommandName head = normaliseCommandName(tokens[0]);
    if (head.hasPath) return refuse(kHasPath, shown(tokens[0]));
    const std::u16string& name = head.name;
    std::vector<std::u16string> pieces = argumentPieces(tokens, 1);
    auto all = [&](std::initializer_list<const char16_t*> permitted) {
        for (const std::u16string& piece : pieces) {
            if (!isOneOf(piece, permitted)) return false;
        }
        return true;
    };
    auto first = [&](std::initializer_list<const char16_t*> permitted) {
        return !pieces.empty() && isOneOf(pieces[0], permitted);
    };

    if (name == u"ipconfig") return all({u"/all", u"/displaydns"}) ? allow() : refuse(kIpconfig);
    if (isOneOf(name, {u"ping", u"tracert", u"pathping", u"nslookup", u"hostname", u"ver", u"whoami"})) return allow();
    if (isOneOf(name, {u"systeminfo", u"tasklist", u"driverquery", u"getmac"})) return checkRemoteSwitches(pieces);
    if (name == u"netstat") {
        for (const std::u16string& piece : pieces) {
            if (piece.find(u'b') != std::u16string::npos) return refuse(kNetstat);
        }
        return allow();
    }
    if (name == u"arp") return all({u"-a"}) ? allow() : refuse(kArp);
    if (name == u"route") {
        if (!first({u"print"})) return refuse(kRoute);
        for (size_t i = 1; i < pieces.size(); ++i) {
            if (routeArgumentFlushes(pieces[i])) return refuse(kRoute);
        }
        return allow();
    }
    if (name == u"sc") {
        if (!first({u"query", u"qc"})) return refuse(kSc);
        // PowerShell 5.1 runs "sc" as Set-Content: "sc query x" only writes a file
        // named query, but a later -Path or -Value would choose what it overwrites.
        for (size_t i = 1; i < pieces.size(); ++i) {
            if (pieces[i][0] == u'-') return refuse(kScParameter, pieces[i]);
        }
        return allow();
    }
    if (name == u"net") return netReadsOnly(pieces) ? allow() : refuse(kNet);
    if (name == u"w32tm") return w32tmReadsOnly(pieces) ? allow() : refuse(kW32tm);
    if (name == u"netsh") return netshReadsOnly(pieces) ? allow() : refuse(kNetsh);
    if (name == u"powercfg") {
        if (!first({u"/list", u"/l", u"/query", u"/q"})) return refuse(kPowercfg);
        for (size_t i = 1; i < pieces.size(); ++i) {
            if (isSwitch(pieces[i])) return refuse(kPowercfg);
        }
        return allow();
    }
    if (name == u"chkdsk") {
        for (const std::u16string& piece : pieces) {
            if (chkdskArgumentRepairs(piece)) return refuse(kChkdsk, piece);
        }
        return allow();
    }
    return refuse(kNotListed, shown(tokens[0]));
}

// ---------------------------------------------------------------------------
// PowerShell commands.

// Gather: reads this machine and may only start a pipeline. Shape: selects,
// sorts or formats what it is given and may stand anywhere; nothing after the
// first segment can bind piped properties to a host or a path.
enum class PsRole { Gather, Shape };

struct PsCommand {
    const char16_t* name;  // lower-case, as compared
    const char16_t* aliases;  // blank-separated lower-case aliases, or empty
    PsRole role;
    // Blank-separated lower-case parameter names, each exact (no abbreviation).
    // -ComputerName, -Server and -TargetName take only a placeholder.
    const char16_t* parameters;
    bool cimClass;  // the first argument (or -ClassName's) must be a listed class
    const char16_t* readOnly;  // why it only reads
};

// The PowerShell commands a step may use. Nothing that writes, connects with a
// session or credentials, downloads or starts a service is here: not
// Get-Certificate (enrols), Get-Help (may download help), Get-InstalledModule
// (may offer to install a provider), Get-PSSessionConfiguration (starts WinRM),
// nor the DISM, storage-diagnostics and cluster-log cmdlets (write logs).
constexpr PsCommand kPsCommands[] = {
    // Processes and services.
    {u"get-process", u"", PsRole::Gather, u"-name -id -module -fileversioninfo -includeusername", false,
     u"lists running processes"},
    {u"get-service", u"", PsRole::Gather, u"-name -displayname -include -exclude -dependentservices -requiredservices",
     false, u"lists services and their state"},
    // Event logs.
    {u"get-winevent", u"", PsRole::Gather,
     u"-logname -providername -maxevents -oldest -listlog -listprovider -filterxpath", false,
     u"reads event log records"},
    {u"get-eventlog", u"", PsRole::Gather,
     u"-logname -newest -entrytype -source -after -before -instanceid -message -list", false,
     u"reads classic event logs"},
    // Network configuration and the DNS client.
    {u"get-netipconfiguration", u"", PsRole::Gather, u"-interfacealias -interfaceindex -all -detailed", false,
     u"shows addresses, gateways and DNS servers"},
    {u"get-netipaddress", u"", PsRole::Gather, u"-addressfamily -interfacealias -interfaceindex -ipaddress", false,
     u"lists IP addresses"},
    {u"get-netadapter", u"", PsRole::Gather, u"-name -interfacedescription -physical -includehidden", false,
     u"lists network adapters"},
    {u"get-netroute", u"", PsRole::Gather, u"-addressfamily -interfacealias -interfaceindex -destinationprefix", false,
     u"lists the routing table"},
    {u"get-nettcpconnection", u"", PsRole::Gather,
     u"-state -localport -remoteport -localaddress -remoteaddress -owningprocess", false, u"lists TCP connections"},
    {u"get-netconnectionprofile", u"", PsRole::Gather, u"-interfacealias -interfaceindex -name -networkcategory", false,
     u"shows each network's profile"},
    {u"get-netfirewallprofile", u"", PsRole::Gather, u"-name -all", false,
     u"shows firewall profiles of the local store (no -PolicyStore, which reaches a domain controller)"},
    {u"get-netfirewallrule", u"", PsRole::Gather, u"-name -displayname -enabled -direction -action -all", false,
     u"lists local firewall rules"},
    {u"get-dnsclientserveraddress", u"", PsRole::Gather, u"-interfacealias -interfaceindex -addressfamily", false,
     u"shows the DNS servers in use"},
    {u"get-dnsclientcache", u"", PsRole::Gather, u"-entry -name -type", false, u"lists the DNS client cache"},
    {u"get-dnsclient", u"", PsRole::Gather, u"-interfacealias -interfaceindex", false, u"shows DNS client settings"},
    {u"resolve-dnsname", u"", PsRole::Gather, u"-name -type -dnsonly -nohostsfile -cacheonly -quicktimeout -server",
     false, u"one DNS query; the server only as a placeholder"},
    {u"test-netconnection", u"tnc", PsRole::Gather,
     u"-computername -port -commontcpport -informationlevel -traceroute -hops", false,
     u"pings or opens one TCP port; a named -ComputerName only as a placeholder"},
    {u"test-connection", u"", PsRole::Gather, u"-computername -targetname -count -buffersize -delay -timetolive -quiet",
     false, u"pings (no -Source, which makes other hosts ping)"},
    // Printers.
    {u"get-printer", u"", PsRole::Gather, u"-name", false, u"lists local printers"},
    {u"get-printjob", u"", PsRole::Gather, u"-printername -id", false, u"lists print jobs"},
    {u"get-printerdriver", u"", PsRole::Gather, u"-name", false, u"lists printer drivers"},
    {u"get-printerport", u"", PsRole::Gather, u"-name", false, u"lists printer ports"},
    // Disks, volumes and files.
    {u"get-disk", u"", PsRole::Gather, u"-number -friendlyname -serialnumber", false, u"lists disks"},
    {u"get-physicaldisk", u"", PsRole::Gather, u"-friendlyname -serialnumber -mediatype -usage", false,
     u"lists physical disks and their health"},
    {u"get-volume", u"", PsRole::Gather, u"-driveletter -filesystemlabel", false, u"lists volumes and free space"},
    {u"get-partition", u"", PsRole::Gather, u"-disknumber -partitionnumber -driveletter", false, u"lists partitions"},
    {u"get-psdrive", u"", PsRole::Gather, u"-name -psprovider", false, u"lists drives and free space"},
    {u"get-childitem", u"", PsRole::Gather,
     u"-path -literalpath -filter -include -exclude -recurse -depth -force -file -directory -name", false,
     u"lists a local folder (UNC paths are refused)"},
    {u"get-item", u"", PsRole::Gather, u"-path -literalpath -force", false, u"shows one local item"},
    // Updates and the computer.
    {u"get-hotfix", u"", PsRole::Gather, u"-id -description", false, u"lists installed updates"},
    {u"get-computerinfo", u"", PsRole::Gather, u"-property", false, u"shows system and hardware facts"},
    {u"get-date", u"", PsRole::Gather, u"-format -uformat", false, u"reads the clock"},
    {u"get-timezone", u"", PsRole::Gather, u"-name -listavailable", false, u"shows the time zone"},
    {u"get-pnpdevice", u"", PsRole::Gather, u"-class -friendlyname -instanceid -presentonly -status", false,
     u"lists devices and their state"},
    {u"get-ciminstance", u"", PsRole::Gather, u"-classname -filter -property", true,
     u"reads instances of a listed class (no -Query, -Namespace or session)"},
    {u"get-wmiobject", u"", PsRole::Gather, u"-class -filter -property", true,
     u"reads instances of a listed class (no -Query, -Namespace or credentials)"},
    // Local users and groups.
    {u"get-localuser", u"", PsRole::Gather, u"-name -sid", false, u"lists local accounts"},
    {u"get-localgroup", u"", PsRole::Gather, u"-name -sid", false, u"lists local groups"},
    {u"get-localgroupmember", u"", PsRole::Gather, u"-group -name -member -sid", false,
     u"lists a local group's members"},
    // Selecting and formatting.
    {u"select-object", u"select", PsRole::Shape,
     u"-property -first -last -skip -unique -expandproperty -excludeproperty -index -inputobject", false,
     u"picks objects and properties"},
    {u"sort-object", u"sort", PsRole::Shape, u"-property -descending -unique -top -bottom -casesensitive", false,
     u"sorts objects"},
    {u"where-object", u"", PsRole::Shape,
     u"-property -value -eq -ne -gt -ge -lt -le -like -notlike -match -notmatch -contains -in", false,
     u"filters objects (no script block: braces are refused)"},
    {u"group-object", u"", PsRole::Shape, u"-property -noelement", false, u"groups objects"},
    {u"measure-object", u"", PsRole::Shape, u"-property -sum -average -maximum -minimum -line -word -character", false,
     u"counts and sums"},
    {u"format-table", u"ft", PsRole::Shape, u"-property -autosize -wrap -groupby -hidetableheaders", false,
     u"formats as a table"},
    {u"format-list", u"fl", PsRole::Shape, u"-property -groupby", false, u"formats as a list"},
    {u"out-string", u"", PsRole::Shape, u"-width -stream", false, u"turns objects into text"},
};

// Taken by every command: what to do on an error.
constexpr const char16_t* kCommonParameters = u"-erroraction";

// Parameters that write, connect or carry credentials, named in the reason
// instead of the plain "not among its parameters".
constexpr const char16_t* kWritingOrConnectingParameters =
    u"-logpath -destinationpath -destination -scratchdirectory -outfile -filepath -credential -computername -cn "
    u"-cimsession -session -server -targetname -source -policystore -gposession -certstorelocation -asjob";

// Parameters whose value names a host: a placeholder only.
constexpr const char16_t* kHostParameters = u"-computername -server -targetname";

// Classes whose instances are only read. Not Win32_Product (nor its parent
// CIM_Product), and not the account classes, which ask the domain controller.
constexpr const char16_t* kReadOnlyClasses =
    u"win32_operatingsystem win32_computersystem win32_bios win32_baseboard win32_processor win32_physicalmemory "
    u"win32_logicaldisk win32_diskdrive win32_diskpartition win32_volume win32_networkadapter "
    u"win32_networkadapterconfiguration win32_service win32_process win32_quickfixengineering win32_printer "
    u"win32_printjob win32_pnpentity win32_startupcommand win32_videocontroller win32_sounddevice "
    u"win32_usbcontroller win32_battery win32_timezone win32_pagefileusage win32_reliabilityrecords";

bool listedWord(const char16_t* words, const std::u16string& word) {
    if (word.empty()) return false;
    for (const std::u16string& listed : splitBlanks(words)) {
        if (listed == word) return true;
    }
    return false;
}

const PsCommand* findPsCommand(const std::u16string& name) {
    for (const PsCommand& command : kPsCommands) {
        if (name == command.name || listedWord(command.aliases, name)) return &command;
    }
    return nullptr;
}

bool isParameter(const std::u16string& piece) {
    return piece.size() > 1 && piece[0] == u'-' && !(piece[1] >= u'0' && piece[1] <= u'9');
}

CommandVerdict checkCimClass(const std::vector<std::u16string>& pieces) {
    size_t at = !pieces.empty() && isOneOf(pieces[0], {u"-classname", u"-class"}) ? 1 : 0;
    std::u16string cls = at < pieces.size() ? pieces[at] : std::u16string();
    return listedWord(kReadOnlyClasses, cls) ? allow() : refuse(kCimClass, shown(cls));
}

CommandVerdict checkPsParameters(const PsCommand& command, const std::u16string& written,
                                 const std::vector<std::u16string>& pieces) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!isParameter(pieces[i])) continue;
        size_t colon = pieces[i].find(u':');
        std::u16string name = pieces[i].substr(0, colon);
        if (!listedWord(command.parameters, name) && !listedWord(kCommonParameters, name)) {
            if (listedWord(kWritingOrConnectingParameters, name)) return refuse(kWritesOrConnects, name);
            return refuse(kPsParameter, written + u" " + name);
        }
        if (listedWord(kHostParameters, name)) {
            std::u16string value = colon != std::u16string::npos ? pieces[i].substr(colon + 1)
                                   : i + 1 < pieces.size()       ? pieces[i + 1]
                                                                 : std::u16string();
            if (value != std::u16string(1, kPlaceholderMark)) return refuse(kRemoteLiteral, name + u" " + shown(value));
        }
    }
    return allow();
}

CommandVerdict checkPowerShellSegment(const std::u16string& segment, bool first) {
    std::vector<std::u16string> tokens = splitBlanks(segment);
    if (tokens.empty()) return refuse(kEmptyCommand);
    NormalisedCommandName head = normaliseCommandName(tokens[0]);
    if (head.hasPath) return refuse(kHasPath, shown(tokens[0]));
    // A name with ".exe" is a native program, never a cmdlet or alias ("sort.exe /o" writes files).
    if (endsWith(lowerAscii(tokens[0]), u".exe")) return refuse(kPsNativeProgram, shown(tokens[0]));
    const PsCommand* command = findPsCommand(head.name);
    if (command == nullptr) return refuse(kPsNotListed, shown(tokens[0]));
    if (command->role == PsRole::Gather && !first) return refuse(kPsPipelineStart, shown(tokens[0]));
    std::vector<std::u16string> pieces = argumentPieces(tokens, 1);
    // cmd runs every segment after a pipe as a program: there "sort" is sort.exe,
    // whose /o writes a file. PowerShell's own parameters start with "-".
    if (head.name == u"sort") {
        for (const std::u16string& piece : pieces) {
            if (piece[0] == u'/') return refuse(kSortSwitch, piece);
        }
    }
    CommandVerdict verdict = checkPsParameters(*command, shown(tokens[0]), pieces);
    if (!verdict.allowed || !command->cimClass) return verdict;
    return checkCimClass(pieces);
}

CommandVerdict checkPowerShellCommand(const std::u16string& work) {
    size_t start = 0;
    bool first = true;
    while (true) {
        size_t bar = work.find(u'|', start);
        size_t end = bar == std::u16string::npos ? work.size() : bar;
        CommandVerdict verdict = checkPowerShellSegment(trimBlanks(work.substr(start, end - start)), first);
        if (!verdict.allowed) return verdict;
        if (bar == std::u16string::npos) return allow();
        start = bar + 1;
        first = false;
    }
}

bool isPowerShellName(const std::u16string& lowerShell) {
    return lowerShell == u"powershell" || lowerShell == u"pwsh" || lowerShell == u"ps";
}

// Win32_Product in any spelling: quotes dropped, so no quoting splits the name,
// letters folded. Refused in both shells, whatever command names it.
bool namesWin32Product(const std::u16string& work) {
    std::u16string folded;
    for (char16_t c : work) {
        if (c != u'"' && c != u'\'') folded += c;
    }
    return lowerAscii(folded).find(u"win32_product") != std::u16string::npos;
}

}  // namespace

size_t powerShellTableSize() { return std::size(kPsCommands); }

NormalisedCommandName normaliseCommandName(const std::u16string& token) {
    NormalisedCommandName result;
    result.name = lowerAscii(token);
    result.hasPath = result.name.find_first_of(u"\\/:") != std::u16string::npos;
    if (result.name.size() >= 5 && endsWith(result.name, u".exe")) result.name.resize(result.name.size() - 4);
    return result;
}

CommandVerdict checkCommand(const std::u16string& shell, const std::u16string& command) {
    bool powerShell = isPowerShellName(lowerAscii(shell));
    if (command.size() > kMaxCommandLength) return refuse(kTooLong);
    std::u16string trimmed = trimBlanks(command);
    if (trimmed.empty()) return refuse(kEmptyCommand);
    if (hidesText(trimmed)) return refuse(kHiddenChar);

    // Under PowerShell a brace after a pipe is a script block run per object,
    // so placeholders count only in the first segment.
    size_t substituteEnd = powerShell ? trimmed.find(u'|') : std::u16string::npos;
    if (substituteEnd == std::u16string::npos) substituteEnd = trimmed.size();
    std::u16string work = substitutePlaceholders(trimmed, substituteEnd);

    for (char16_t c : work) {
        if (isTypographic(c)) return refuse(kTypographicChar, std::u16string(1, c));
    }
    // Both shells' operators in either family: a step may be run by the other shell.
    if (char16_t c = firstForbidden(work, kForbiddenInBoth)) return refuse(kForbiddenChar, std::u16string(1, c));
    if (!powerShell && work.find(u'|') != std::u16string::npos) return refuse(kForbiddenChar, u"|");
    std::u16string unc = literalUncHost(work);
    if (!unc.empty()) return refuse(kRemoteLiteral, shown(unc));
    if (namesWin32Product(work)) return refuse(kWin32Product);
    return powerShell ? checkPowerShellCommand(work) : checkCmdCommand(work);
}
