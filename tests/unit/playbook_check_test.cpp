#include <gtest/gtest.h>

#include "playbooks/playbook_files.h"
#include "tests/unit/sandbox.h"

namespace {

// A playbook with one step of the given JSON members; "t.a" unless the id is given.
std::string oneStep(const std::string& step, const std::string& id = "t.a") {
    return R"({"playbooks":[{"id":")" + id + R"(","title":"T","steps":[{"id":"s1",)" + step + "}]}]}";
}

PlaybookContext earlierContext() {
    PlaybookContext context;
    context.earlier.emplace_back();
    context.earlier[0].id = u"shipped.pb";
    context.earlier[0].steps.emplace_back();
    context.earlier[0].steps[0].id = u"s1";
    context.earlierFiles.push_back(u"shipped.json");
    context.toolIds = {u"builtin.services"};
    return context;
}

std::vector<std::u16string> linesOf(const PlaybookFile& file) {
    std::vector<std::u16string> lines;
    for (const PlaybookProblem& problem : file.problems) lines.push_back(problemLine(problem, true));
    return lines;
}

// Each kind of problem, alone in its file, with where it is said to lie. A
// line ending in "…" is compared up to there (the allowlist words the rest).
TEST(PlaybookCheck, EachProblemIsOneLineThatSaysWhere) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"{\"playbooks\": [}", u"f.json:1:16: JSON syntax error"},
        {"{\"playbooks\": [\n  {\"id\": \"a\"", u"f.json:2:13: the JSON text ends too early"},
        {"{\"playbooks\": []} x", u"f.json:1:19: there is more text after the JSON value"},
        {"{\"playbooks\":[\"\xE4\xB8\xAD\" 1]}", u"f.json:1:19: JSON syntax error"},  // a column counts characters
        {std::string(600, '[') + std::string(600, ']'), u"f.json:1:513: the JSON nesting is too deep"},
        {"[1]", u"f.json:1:1: the top level must be an object with a \"playbooks\" array"},
        {R"({"playbooks":[{"id":"t.a"}]})", u"f.json: playbook t.a: has no \"title\" and is not loaded"},
        {R"({"playbooks":[7]})", u"f.json: playbook #1: is not an object and is skipped"},
        {R"({"playbooks":[{"id":"t.a","title":"T","steps":[{"text":"x"}]}]})",
         u"f.json: playbook t.a, step #1: has no \"id\" and is skipped"},
        {oneStep(R"("branches":[{"when":"ok"}])"),
         u"f.json: playbook t.a, step s1: a branch has no \"goto\" and is skipped"},
        {oneStep(R"("branches":[{"goto":"s9"}])"),
         u"f.json: playbook t.a, step s1: goto names a step that does not exist: s9"},
        {oneStep(R"("branches":[{"goto":"playbook:nope"}])"),
         u"f.json: playbook t.a, step s1: goto names a playbook that does not exist: nope"},
        {oneStep(R"("branches":[{"goto":"playbook:shipped.pb#s2"}])"),
         u"f.json: playbook t.a, step s1: goto names a step that does not exist: playbook:shipped.pb#s2"},
        {oneStep("\"text\":\"x\"", "shipped.pb"),
         u"f.json: playbook shipped.pb: the id is already taken by shipped.json; not loaded"},
        {R"({"playbooks":[{"id":"t.a","title":"T"},{"id":"t.a","title":"U"}]})",
         u"f.json: playbook t.a: the id is used twice in this file; not loaded"},
        {R"({"playbooks":[{"id":"t.a","title":"T","steps":[{"id":"s1"},{"id":"s1"}]}]})",
         u"f.json: playbook t.a, step s1: the step id is used twice"},
        {oneStep(R"("action":{"type":"command","command":"del /q C:\\x"})"),
         u"f.json: playbook t.a, step s1: the step is disabled: …"},
        {oneStep(R"("action":{"type":"open-url","ref":"http://example.com"})"),
         u"f.json: playbook t.a, step s1: the step is disabled: Only https links are allowed."},
        {oneStep(R"("action":{"type":"tool","ref":"builtin.nope"})"),
         u"f.json: playbook t.a, step s1: the tool catalog has no tool builtin.nope"},
        {oneStep(R"("reading":{"ok":["x"]})"),
         u"f.json: playbook t.a, step s1: The reading rules are broken: only a command step has output to read."},
        {"\xFE\xFF\0{", u"f.json: UTF-16 BE is not supported; save the file as UTF-8 or UTF-16 LE with a BOM"},
        {std::string("{\0\"\0", 4),
         u"f.json: the file looks like UTF-16 without a BOM; save it as UTF-8 or UTF-16 LE with a BOM"},
        {"{\"playbooks\":\n[\"ab\xC3(\"]}", u"f.json:2:5: the text is not valid UTF-8"},
        {std::string("\xFF\xFE{\0\0\xD8}\0", 8), u"f.json:1:2: the UTF-16 text has an unpaired surrogate"},
        {std::string(kMaxPlaybookFileBytes + 1, ' '), u"f.json: the file is too large (the limit is 4 MB)"}};
    for (const auto& [text, expected] : cases) {
        PlaybookFile file = judgePlaybookText(u"f.json", text, earlierContext(), PlaybookOrigin::Team);
        std::vector<std::u16string> lines = linesOf(file);
        ASSERT_EQ(lines.size(), 1u) << wideToUtf8(expected);
        const size_t cut = expected.find(u'…');
        EXPECT_EQ(lines[0].substr(0, cut), expected.substr(0, cut));
        EXPECT_TRUE(file.playbooks.empty() || file.playbooks[0].origin == PlaybookOrigin::Team);
    }
}

// What a clean file looks like in each accepted encoding; a cross-playbook goto
// may point at a playbook loaded before. The Chinese lines name the same place.
TEST(PlaybookCheck, CleanFilesInEveryAcceptedEncoding) {
    const std::string body = oneStep(R"("text":"中","action":{"type":"tool","ref":"builtin.services"},)"
                                     R"("branches":[{"goto":"playbook:shipped.pb#s1"},{"goto":"s1"}])");
    std::u16string wide = utf8ToWide(body);
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : wide) utf16 += {char(c & 0xFF), char(c >> 8)};
    for (const std::string& bytes : {body, "\xEF\xBB\xBF" + body, utf16}) {
        PlaybookFile file = judgePlaybookText(u"f.json", bytes, earlierContext(), PlaybookOrigin::User);
        EXPECT_TRUE(file.problems.empty()) << (file.problems.empty() ? "" : wideToUtf8(linesOf(file)[0]));
        ASSERT_EQ(file.playbooks.size(), 1u);
        EXPECT_EQ(file.playbooks[0].steps[0].text, u"中");
    }
    PlaybookFile broken =
        judgePlaybookText(u"f.json", oneStep(R"("branches":[{"goto":"s9"}])"), earlierContext(), PlaybookOrigin::Team);
    EXPECT_EQ(problemLine(broken.problems[0], false), u"f.json: 剧本 t.a，步骤 s1: goto 指向不存在的步骤: s9");
}

class PlaybookFiles : public Sandbox {};

// Files are judged in the order given and after the shipped pack; the count
// is the exit code of --check-playbooks.
TEST_F(PlaybookFiles, CheckerCountsEveryProblemOfEveryFile) {
    REQUIRE_EMBEDDED_PACKS();
    const std::u16string dir = makeDir(u"files");
    const std::pair<const char16_t*, std::string> files[] = {
        {u"a.json", oneStep("\"text\":\"x\"")},
        {u"b.json", oneStep("\"text\":\"x\"") + "!"},
        {u"c.json", oneStep(R"("branches":[{"goto":"playbook:t.a#s1"}])", "net.no-internet")},
        {u"d.json", oneStep(R"("branches":[{"goto":"playbook:t.a#s1"}])", "t.d")}};
    std::vector<std::u16string> paths;
    for (const auto& [name, text] : files) {
        paths.push_back(platform::joinPath(dir, name));
        ASSERT_TRUE(writeWholeFile(paths.back(), text));
    }
    paths.push_back(platform::joinPath(dir, u"missing.json"));
    std::vector<std::u16string> printed;
    EXPECT_EQ(checkPlaybookFiles(paths, true, [&](const std::u16string& line) { printed.push_back(line); }), 3);
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[0], paths[1] + u":1:74: there is more text after the JSON value");
    EXPECT_EQ(printed[1], paths[2] + u": playbook net.no-internet: the id is already taken by (built-in); not loaded");
    EXPECT_EQ(printed[2].rfind(paths[4] + u": the file cannot be read (error ", 0), 0u);
    EXPECT_EQ(checkPlaybookFiles({paths[0]}, true, [](const std::u16string&) {}), 0);
}

// The user's files follow the shipped pack; a broken one, and a data-folder
// pack that cannot be used, are each named once with their first problem.
TEST_F(PlaybookFiles, UserFolderFollowsShippedAndBrokenFilesAreNamed) {
    REQUIRE_EMBEDDED_PACKS();
    if (!perUserFolderRedirected()) GTEST_SKIP() << "the per-user folder does not follow APPDATA here";
    const std::u16string folder = userPlaybookFolder();
    ASSERT_TRUE(platform::createDirectories(folder));
    ASSERT_TRUE(writeWholeFile(platform::joinPath(folder, u"good.json"), oneStep("\"text\":\"x\"")));
    ASSERT_TRUE(writeWholeFile(platform::joinPath(folder, u"bad.json"), "{"));
    const std::u16string pack = platform::joinPath(userFolder(), u"playbooks.json");
    ASSERT_TRUE(writeWholeFile(pack, "{\"playbooks\": 7"));
    PlaybookSet set = loadPlaybookSet({});
    ASSERT_GE(set.playbooks.size(), 14u);
    EXPECT_EQ(set.playbooks.front().origin, PlaybookOrigin::Shipped);
    EXPECT_EQ(set.playbooks.back().id, u"t.a");
    EXPECT_EQ(set.playbooks.back().origin, PlaybookOrigin::User);
    ASSERT_EQ(set.files.size(), 2u);
    EXPECT_EQ(problemLine(set.files[0].problems[0], true),
              pack + u":1:16: the JSON text ends too early; the built-in playbooks are used instead");
    EXPECT_EQ(problemLine(set.files[1].problems[0], true),
              platform::joinPath(folder, u"bad.json") + u":1:2: the JSON text ends too early");
}

}  // namespace
