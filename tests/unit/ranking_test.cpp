#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>

#include "data/json.h"
#include "data/text.h"
#include "data/tool_record.h"
#include "platform/platform.h"
#include "playbooks/playbook.h"
#include "search/lexicon.h"
#include "search/ranking.h"

namespace {

ToolRecord tool(std::u16string id, std::u16string name, std::u16string fileName, std::u16string category,
                std::vector<std::u16string> tags = {}) {
    ToolRecord t;
    t.id = std::move(id);
    t.name = std::move(name);
    t.fileName = std::move(fileName);
    t.category = std::move(category);
    t.tags = std::move(tags);
    return t;
}

Playbook playbook(std::u16string id, std::u16string title, std::u16string summary,
                  std::vector<std::u16string> tags = {}) {
    Playbook p;
    p.id = std::move(id);
    p.title = std::move(title);
    p.summary = std::move(summary);
    p.tags = std::move(tags);
    return p;
}

// Hits as "id score" lines, so a failure shows the whole ranking.
template <typename Record>
std::string describe(const std::vector<ScoredIndex>& hits, const std::vector<Record>& records) {
    std::string text;
    for (const auto& hit : hits) text += wideToUtf8(records.at(hit.index).id) + " " + std::to_string(hit.score) + "\n";
    return text;
}

std::string describeKept(const std::vector<uint64_t>& kept, const std::vector<ToolRecord>& tools) {
    std::string text;
    for (uint64_t i : kept) text += wideToUtf8(tools.at(i).id) + "\n";
    return text;
}

TEST(TextPrimitives, AsciiOnlyFoldingAndContainment) {
    EXPECT_EQ(lowerAscii(u"AbZ@[`Éａ网Ｗ"), u"abz@[`Éａ网Ｗ");
    const std::tuple<const char16_t*, const char16_t*, bool> cases[] = {
        {u"abc", u"bc", true}, {u"abc", u"abc", true}, {u"abc", u"", false},
        {u"", u"", false},     {u"ab", u"abc", false}, {u"ip地址", u"ip 地址", false}};
    for (const auto& [text, piece, found] : cases) EXPECT_EQ(containsText(text, piece), found) << wideToUtf8(piece);
}

TEST(ToolSearch, WeightsOfEachSource) {
    std::vector<ToolRecord> tools = {tool(u"t.name", u"Alpha Tool", u"alpha.exe", u"x"),
                                     tool(u"t.tags", u"甲", u"", u"x", {u"zz", u"QQ", u"zz", u""}),
                                     tool(u"t.cat", u"乙乙", u"", u"network"),
                                     tool(u"t.catcase", u"丙丙", u"", u"Network"),
                                     tool(u"t.hint", u"丁丁", u"NCPA.CPL", u"x"),
                                     tool(u"t.two", u"戊戊", u"mstsc.exe", u"network"),
                                     tool(u"builtin.ncpa", u"己己", u"", u"x"),
                                     tool(u"BUILTIN.NCPA", u"庚庚", u"", u"x"),
                                     tool(u"t.en", u"辛辛", u"", u"x"),
                                     tool(u"builtin.desk", u"壬壬", u"", u"x")};
    tools[8].nameEn = tools[8].description = tools[8].descriptionEn = u"gamma";
    struct Case {
        const char16_t* query;
        const char* expected;
    } cases[] = {
        {u"run ALPHA TOOL now", "t.name 50\n"},
        {u"Alpha Too", ""},  // part of a name earns nothing
        {u"ALPHA.EXE", "t.name 45\n"},
        {u"zz", "t.tags 40\n"},  // a repeated tag counts twice
        {u"qq zz", "t.tags 60\n"},
        {u"甲", ""},  // one-character names never match
        // Rule 1 fires: exact category, hints on the lower-cased file name, alias by exact id.
        {u"network", "builtin.ncpa 60\nt.two 50\nt.hint 35\nt.cat 15\n"},
        {u"网络 NETWORKS 上不了网", "builtin.ncpa 60\nt.two 50\nt.hint 35\nt.cat 15\n"},
        {u"subnetwork", ""},  // a Latin entry matches only where a word begins
        {u"ncpa.cpl", "t.hint 45\n"},  // no keyword fires, so no hint bonus
        {u"远程 network", "t.two 85\nbuiltin.ncpa 60\nt.hint 35\nt.cat 15\n"},  // rules add up; peers pad no category
        {u"screen", "builtin.desk 60\n"},
        {u"blue screen", ""},  // a broad word counts only when nothing more specific matched
        {u"gamma", ""},  // never reads nameEn or the descriptions
        {u"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(describe(searchTools(c.query, tools, 20), tools), c.expected) << wideToUtf8(c.query);
}

TEST(ToolSearch, LimitsAndTies) {
    std::vector<ToolRecord> tools;
    for (int i = 0; i < 6; ++i)
        tools.push_back(tool(u"t" + asciiToWide(std::to_string(i)), u"名字", u"", u"x", {u"k"}));
    tools[4].tags.push_back(u"k");  // 40: ahead of the 20s
    EXPECT_EQ(describe(searchTools(u"k", tools, 20), tools), "t4 40\nt0 20\nt1 20\nt2 20\nt3 20\nt5 20\n");
    EXPECT_EQ(describe(searchTools(u"k", tools, 3), tools), "t4 40\nt0 20\nt1 20\n");
    EXPECT_TRUE(searchTools(u"k", tools, 0).empty());
    EXPECT_TRUE(searchTools(u"", tools, 20).empty());
    EXPECT_TRUE(searchTools(u"k", {}, 20).empty());
}

TEST(ToolFilter, QueryIsAFragmentOfAToolText) {
    std::vector<ToolRecord> tools = {tool(u"a", u"Alpha Tool", u"", u"x"), tool(u"b", u"乙", u"", u"x"),
                                     tool(u"c", u"丙", u"Beta.MSC", u"x"),
                                     tool(u"d", u"丁", u"", u"x", {u"", u"jsjgl"}), tool(u"e", u"戊", u"", u"x")};
    tools[1].nameEn = u"Device Manager";
    tools[4].descriptionEn = u"Shows EVENTS";
    tools[4].description = u"secret";
    struct Case {
        const char16_t* query;
        const char* expected;
    } cases[] = {{u"ALP", "a\n"},    {u"alpha tool", "a\n"}, {u"alpha tool!", ""},     {u"device m", "b\n"},
                 {u"beta.m", "c\n"}, {u"jsj", "d\n"},        {u"jsjgl", "d\n"},        {u"jsjglx", ""},
                 {u"events", "e\n"}, {u"secret", ""},        {u"", "a\nb\nc\nd\ne\n"}, {u"t", "a\nc\ne\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(describeKept(filterTools(c.query, tools), tools), c.expected) << wideToUtf8(c.query);
}

TEST(PlaybookSearch, TagsSummaryAndTitle) {
    const std::vector<Playbook> playbooks = {
        playbook(u"p.usb", u"U盘/移动硬盘不识别", u"插上没反应", {u"u盘", u"读不出", u"Usb"}),
        playbook(u"p.one", u"X /abc", u""), playbook(u"p.trim", u"Ab  ", u""), playbook(u"p.space", u" ab", u"")};
    struct Case {
        const char16_t* query;
        const char* expected;
    } cases[] = {{u"U盘读不出", "p.usb 95\n"}, {u"usb 插上没反应", "p.usb 45\n"},    {u"移动硬盘不识别", ""},
                 {u"x /abc", "p.trim 35\n"},  // "X /abc" is cut to one character
                 {u"AB", "p.trim 35\n"},       {u"x ab", "p.trim 35\np.space 35\n"}, {u"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(describe(searchPlaybooks(c.query, playbooks, 8), playbooks), c.expected) << wideToUtf8(c.query);
    EXPECT_EQ(describe(searchPlaybooks(u"x ab", playbooks, 1), playbooks), "p.trim 35\n");
}

// The shipped tool pack, in pack order, straight from the embedded copy.
std::vector<ToolRecord> shippedTools() {
    auto document = parseJson(utf8ToWide(platform::embeddedResource(101)));
    return document ? parseToolPack(*document, false) : std::vector<ToolRecord>{};
}

TEST(ShippedCatalog, WorkedExamples) {
    const auto tools = shippedTools();
    ASSERT_EQ(tools.size(), 72u);
    const std::string noInternet =
        "builtin.ncpa 110\nbuiltin.inetcpl 50\nbuiltin.mstsc 50\nbuiltin.msra 50\n"
        "builtin.wf 15\nbuiltin.firewall 15\nbuiltin.netcenter 15\n";
    EXPECT_EQ(describe(searchTools(u"上不了网", tools, 20), tools), noInternet);
    EXPECT_EQ(describe(searchTools(u"No Internet", tools, 20), tools), noInternet);
    EXPECT_EQ(describe(searchTools(u"ncpa.cpl", tools, 20), tools), "builtin.ncpa 65\n");
    EXPECT_EQ(describe(searchTools(u"组策略", tools, 1), tools), "builtin.gpedit 180\n");
    // Screenshot and recorder pairs share their aliases.
    auto shots = searchTools(u"截图", tools, 20);
    ASSERT_GE(shots.size(), 2u);
    EXPECT_EQ(shots[0].score, shots[1].score);

    auto document = parseJson(utf8ToWide(platform::embeddedResource(103)));
    ASSERT_TRUE(document);
    const auto playbooks = parsePlaybooks(*document);
    EXPECT_EQ(describe(searchPlaybooks(u"上不了网", playbooks, 8), playbooks), "net.no-internet 35\n");
    EXPECT_EQ(describe(searchPlaybooks(u"u盘读不出", playbooks, 1), playbooks), "hw.usb 95\n");
}

// What admins type, the tools they would open among the first three, the
// playbook they would follow among the first three, and tools that have no
// business in the answer at all.
TEST(ShippedCatalog, SymptomsAdminsType) {
    const auto tools = shippedTools();
    auto document = parseJson(utf8ToWide(platform::embeddedResource(103)));
    ASSERT_TRUE(document);
    const auto playbooks = parsePlaybooks(*document);
    struct Case {
        const char16_t* query;
        const char* top;
        const char* playbook;
        const char* never;
    } cases[] = {
        {u"blue screen", "eventvwr perfmon-rel", "bsod.triage", "desk"},
        {u"电脑蓝屏了", "eventvwr perfmon-rel", "bsod.triage", "desk"},
        {u"printer offline", "printmanagement services", "print.cannot-print", "joy telephon charmap mstsc msra"},
        {u"打印机脱机", "printmanagement services", "print.cannot-print", "joy telephon charmap"},
        {u"usb not recognized", "devmgmt", "hw.usb", ""},
        {u"U盘插上不识别", "devmgmt", "hw.usb", ""},
        {u"bluetooth mouse not working", "devmgmt services", "", "mstsc"},
        {u"windows update failed 0x80070643", "services eventvwr", "sys.update-fails", "timedate intl desk"},
        {u"系统更新失败", "services eventvwr", "sys.update-fails", ""},
        {u"wifi keeps dropping", "ncpa", "net.wifi-drops", "mstsc msra powershell"},
        {u"WiFi老掉线", "ncpa", "net.wifi-drops", "mstsc msra"},
        {u"电脑时间不对", "timedate services", "sys.time-sync", ""},
        {u"clock is wrong, ntp", "timedate services", "sys.time-sync", ""},
        {u"account locked out", "lusrmgr secpol", "sec.account-locked", ""},
        {u"账号被锁住了", "lusrmgr", "sec.account-locked", ""},
        {u"password expired", "lusrmgr", "sec.account-locked", ""},
        {u"app keeps crashing", "eventvwr perfmon-rel", "diag.app-crash", "appwiz"},
        {u"软件老是闪退", "eventvwr perfmon-rel", "diag.app-crash", ""},
        {u"C盘满了", "cleanmgr", "storage.lowspace", ""},
        {u"dns not resolving", "ncpa", "", "mstsc msra"},
        {u"证书不受信任", "certmgr certlm", "", ""},
        {u"RDP连不上", "mstsc", "net.rdp", ""},
        {u"BSOD", "eventvwr", "bsod.triage", "desk"},
        {u"服务启动不了", "services", "", ""}};
    auto ids = [](const auto& hits, const auto& records, size_t first) {
        std::string text = " ";
        for (size_t i = 0; i < hits.size() && i < first; ++i) text += wideToUtf8(records.at(hits[i].index).id) + " ";
        return text;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(wideToUtf8(c.query));
        const auto hits = searchTools(c.query, tools, 20);
        const std::string top = ids(hits, tools, 3), all = ids(hits, tools, 20);
        std::string id;
        for (std::istringstream in(c.top); in >> id;)
            EXPECT_NE(top.find(" builtin." + id + " "), std::string::npos) << id << all;
        for (std::istringstream in(c.never); in >> id;)
            EXPECT_EQ(all.find(" builtin." + id + " "), std::string::npos) << id << all;
        const std::string found = ids(searchPlaybooks(c.query, playbooks, 3), playbooks, 3);
        if (*c.playbook) {
            EXPECT_NE(found.find(std::string(" ") + c.playbook + " "), std::string::npos) << found;
        }
    }
}

TEST(ShippedCatalog, PinyinInitialTags) {
    const auto tools = shippedTools();
    size_t compmgmt = 0;
    while (compmgmt < tools.size() && tools[compmgmt].id != u"builtin.compmgmt") ++compmgmt;
    ASSERT_LT(compmgmt, tools.size());
    auto kept = filterTools(u"jsj", tools);
    EXPECT_NE(std::find(kept.begin(), kept.end(), compmgmt), kept.end());
    auto scoreOf = [&](const std::u16string& query) {
        for (const auto& hit : searchTools(query, tools, 100))
            if (hit.index == compmgmt) return hit.score;
        return 0;
    };
    EXPECT_EQ(scoreOf(u"jsj"), 0);
    EXPECT_EQ(scoreOf(u"jsjgl"), 20);
}

// The scoring written out plainly, one lower-cased copy per use, to check the
// prepared query (its unit summary, the lexicon decided once) against on many queries.
bool plainHas(const std::u16string& q, const std::u16string& entry) {
    const bool latin =
        !entry.empty() && ((entry[0] >= u'a' && entry[0] <= u'z') || (entry[0] >= u'0' && entry[0] <= u'9'));
    for (size_t at = q.find(entry); !entry.empty() && at != std::u16string::npos; at = q.find(entry, at + 1)) {
        const char16_t before = at ? q[at - 1] : u' ';
        if (!latin || !((before >= u'a' && before <= u'z') || (before >= u'0' && before <= u'9'))) return true;
    }
    return false;
}

std::vector<ScoredIndex> plainSearchTools(const std::u16string& query, const std::vector<ToolRecord>& tools,
                                          size_t limit) {
    std::u16string q = lowerAscii(query);
    std::vector<ScoredIndex> hits;
    if (q.empty()) return hits;
    bool specific = false;
    for (const auto& [id, aliases] : toolAliases())
        for (const auto& a : aliases) specific = specific || (!isBroadWord(a) && plainHas(q, a));
    for (const auto& rule : symptomRules())
        for (const auto& k : rule.keywords) specific = specific || (!isBroadWord(k) && plainHas(q, k));
    auto counts = [&](const std::u16string& entry) { return !(specific && isBroadWord(entry)) && plainHas(q, entry); };
    for (size_t i = 0; i < tools.size(); ++i) {
        const ToolRecord& t = tools[i];
        int32_t s = 0;
        std::u16string n = lowerAscii(t.name), f = lowerAscii(t.fileName);
        if (n.size() >= 2 && containsText(q, n)) s += 50;
        if (!f.empty() && containsText(q, f)) s += 45;
        for (const auto& tag : t.tags)
            if (containsText(q, lowerAscii(tag))) s += 20;
        auto alias = toolAliases().find(t.id);
        if (alias != toolAliases().end())
            for (const auto& a : alias->second)
                if (counts(a)) {
                    s += 60;
                    break;
                }
        for (const auto& rule : symptomRules()) {
            bool fires = false;
            for (const auto& k : rule.keywords) fires = fires || counts(k);
            if (!fires) continue;
            const auto& padded = rule.peers.empty() ? rule.categories : rule.peers;
            if (std::find(padded.begin(), padded.end(), rule.peers.empty() ? t.category : t.id) != padded.end())
                s += 15;
            for (const auto& h : rule.fileHints)
                if (containsText(f, h)) {
                    s += 35;
                    break;
                }
        }
        if (s > 0) hits.push_back({i, s});
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const ScoredIndex& a, const ScoredIndex& b) { return a.score > b.score; });
    if (hits.size() > limit) hits.resize(limit);
    return hits;
}

TEST(ShippedCatalog, SameResultsAsThePlainScoring) {
    const auto tools = shippedTools();
    std::vector<std::u16string> words;
    for (const auto& rule : symptomRules()) words.insert(words.end(), rule.keywords.begin(), rule.keywords.end());
    for (const auto& [id, aliases] : toolAliases()) words.insert(words.end(), aliases.begin(), aliases.end());
    for (const auto& t : tools) {
        words.insert(words.end(), {t.name, t.nameEn, t.fileName});
        words.insert(words.end(), t.tags.begin(), t.tags.end());
    }
    std::vector<std::u16string> queries;
    for (size_t i = 0; i < words.size(); i += 5) {
        std::u16string upper = words[i];
        for (auto& c : upper)
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        queries.push_back(upper.substr(0, upper.size() / 2 + 1));
        queries.push_back(upper + u" " + words[(i * 7919) % words.size()] + words[(i * 104729) % words.size()]);
    }
    for (const auto& query : queries) {
        ASSERT_EQ(describe(searchTools(query, tools, 5), tools), describe(plainSearchTools(query, tools, 5), tools))
            << wideToUtf8(query);
    }
}

}  // namespace
