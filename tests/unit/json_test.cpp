#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "data/json.h"
#include "data/text.h"

namespace {

std::optional<JsonValue> parse(const std::string& utf8) { return parseJson(utf8ToWide(utf8)); }

TEST(JsonGrammar, RejectsMalformedText) {
    const char* bad[] = {"",        "   ",       "[1,]",  "{\"a\":1,}", "tru",   "nul",   "\"abc",
                         "\"\\x\"", "\"\\u12\"", "[1 2]", "{\"a\" 1}",  "{a:1}", "[",     "{",
                         "[1,",     "{\"a\":",   "}",     "\"\\",       "fals",  "[nul]", "{\"a\":}"};
    for (const char* text : bad) EXPECT_FALSE(parse(text)) << text;
}

TEST(JsonGrammar, ValidDocumentsTrailingTextAndDuplicateKeys) {
    const std::pair<const char*, JsonKind> cases[] = {
        {"  \xEF\xBB\xBF{}", JsonKind::Object}, {"[ ]", JsonKind::Array},      {"{ \t\r\n}", JsonKind::Object},
        {"true false", JsonKind::Bool},         {"{} word", JsonKind::Object}, {"null", JsonKind::Null}};
    for (const auto& [text, kind] : cases) {
        auto v = parse(text);
        ASSERT_TRUE(v) << text;
        EXPECT_EQ(v->kind, kind) << text;
    }
    EXPECT_TRUE(parse("true false")->boolValue);
    // Of duplicate keys the last wins; members are kept sorted by key.
    auto v = parse("{\"b\":1,\"a\":1,\"a\":2}");
    ASSERT_TRUE(v);
    ASSERT_EQ(v->members.size(), 2u);
    EXPECT_EQ(v->members.begin()->first, u"a");
    EXPECT_EQ(v->members.begin()->second.number, 2);
}

TEST(JsonGrammar, StringEscapes) {
    EXPECT_EQ(parse("\"\\u00e9\"")->text, u"\u00e9");
    EXPECT_EQ(parse("\"\\ud83d\\ude00\"")->text, std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(parse("\"\\ud83d\"")->text, std::u16string(1, char16_t(0xD83D)));
    EXPECT_EQ(parse("\"\\b\\f\\/\\\\\\\"\"")->text, std::u16string(u"\b\f/\\\""));
    EXPECT_EQ(parse("\"a\nb\"")->text, u"a\nb");  // raw control characters are taken literally
    EXPECT_EQ(parse("\"\\u0000\"")->text, std::u16string(1, u'\0'));
}

TEST(JsonGrammar, LenientNumbersUseLongestValidPrefix) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"-", 0},  {"1e3", 1000}, {"1.2.3", 1.2}, {"+5", 5},  {"007", 7},    {"-0.5", -0.5},
                 {"1e", 1}, {".5", 0.5},   {"--5", 0},     {"+-5", 0}, {"1e-400", 0}, {"2E+2", 200}};
    for (const auto& c : cases) {
        auto v = parse(c.text);
        ASSERT_TRUE(v) << c.text;
        EXPECT_EQ(v->kind, JsonKind::Number);
        EXPECT_DOUBLE_EQ(v->number, c.value) << c.text;
    }
    EXPECT_TRUE(std::isinf(parse("1e400")->number));
    EXPECT_FALSE(parse("Infinity"));
    EXPECT_FALSE(parse("NaN"));
}

TEST(JsonGrammar, NumbersIgnoreTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale installed";
    EXPECT_DOUBLE_EQ(parse("1.5")->number, 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(JsonGrammar, DeepNestingFailsCleanly) {
    EXPECT_FALSE(parse(std::string(100000, '[')));
    EXPECT_FALSE(parse(std::string(100000, '{')));
    std::string deepButValid = std::string(200, '[') + std::string(200, ']');
    EXPECT_TRUE(parse(deepButValid));
}

TEST(JsonLookup, DefaultsForMissingOrMistypedMembers) {
    auto v = *parse("{\"s\":\"x\",\"n\":3.9,\"b\":true,\"neg\":-3.9,\"huge\":1e300}");
    EXPECT_EQ(getString(v, u"s", u"d"), u"x");
    EXPECT_EQ(getString(v, u"n", u"d"), u"d");
    EXPECT_EQ(getString(v, u"missing", u"d"), u"d");
    EXPECT_EQ(getInt(v, u"n", 0), 3);
    EXPECT_EQ(getInt(v, u"neg", 0), -3);
    EXPECT_EQ(getInt(v, u"huge", 0), INT32_MAX);
    EXPECT_EQ(getBool(v, u"s", false), false);
    EXPECT_EQ(getBool(v, u"b", false), true);
    JsonValue notObject;
    EXPECT_EQ(getString(notObject, u"s", u"d"), u"d");
    EXPECT_EQ(clampToInt32(-1e300), INT32_MIN);
    EXPECT_EQ(clampToInt32(NAN), 0);
    EXPECT_EQ(clampToInt64(INFINITY), INT64_MAX);
    EXPECT_EQ(clampToInt64(-INFINITY), INT64_MIN);
}

TEST(JsonWriters, QuotingRules) {
    EXPECT_EQ(jsonQuote(u"a\tb"), "\"a\\tb\"");
    EXPECT_EQ(jsonQuote(std::u16string(1, u'\x01')), "\"\\u0001\"");
    EXPECT_EQ(jsonQuote(u"\x08\x0C\x1B"), "\"\\u0008\\u000c\\u001b\"");
    EXPECT_EQ(jsonQuote(u"/\x7F"), "\"/\x7F\"");
    EXPECT_EQ(jsonQuote(u"网"), "\"\xE7\xBD\x91\"");
    EXPECT_EQ(configQuote(std::u16string(1, u'\x01')), std::string("\"\x01\"", 3));
    EXPECT_EQ(configQuote(u"q\"\\\r\n"), "\"q\\\"\\\\\\r\\n\"");
    EXPECT_EQ(configStringArray({u"a", u"b"}), "[\"a\", \"b\"]");
    EXPECT_EQ(jsonStringArray({u"a", u"b"}), "[\"a\",\"b\"]");
    EXPECT_EQ(configStringArray({}), "[]");
    EXPECT_EQ(intToText(-32601), "-32601");
    EXPECT_EQ(intToText(INT32_MIN), "-2147483648");
}

TEST(TextConversion, InvalidInputBecomesReplacementCharacters) {
    EXPECT_EQ(utf8ToWide(""), u"");
    EXPECT_EQ(utf8ToWide("a\xFF"
                         "b"),
              u"a\uFFFDb");
    EXPECT_EQ(utf8ToWide("\xE7\xBD"), u"\uFFFD");  // truncated sequence
    // An encoded surrogate never yields a surrogate unit; how many U+FFFD it
    // becomes differs between Windows versions, so only the kind is checked.
    for (char16_t unit : utf8ToWide("\xED\xA0\x80")) EXPECT_EQ(unit, 0xFFFD);
    EXPECT_EQ(utf8ToWide("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(wideToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(wideToUtf8(u"网络"), "\xE7\xBD\x91\xE7\xBB\x9C");
}

// Hand-edited files are UTF-8 unless they fail the strict check; only then the
// legacy code page applies (Latin-1 off Windows).
TEST(TextConversion, FilesThatAreNotUtf8AreReadInTheLegacyCodePage) {
    struct Case {
        const char* bytes;
        bool utf8;
    };
    const Case cases[] = {
        {"", true},
        {"plain", true},
        {"\xEF\xBB\xBF{}", true},  // byte-order mark
        {"\xE7\xBD\x91\xE7\xBB\x9C", true},  // 网络
        {"\xF0\x9F\x98\x80", true},
        {"caf\xE9", false},  // Latin-1 e acute
        {"\xC0\xAF", false},  // overlong
        {"\xED\xA0\x80", false},  // encoded surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE7\xBD", false},  // cut short
        {"\xCD\xF8\xC2\xE7", false},  // 网络 in GBK, as Notepad saved it in China
    };
    for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.utf8) << c.bytes;
    EXPECT_EQ(fileTextToWide("\xE7\xBD\x91"), u"网");
    // GBK bytes read as Latin-1 here, as CP 936 or 1252 on Windows: never U+FFFD
    const std::string gbk = "\xCD\xF8\xC2\xE7";
    EXPECT_EQ(fileTextToWide(gbk), ansiToWide(gbk));
    EXPECT_EQ(fileTextToWide(gbk).find(u'\uFFFD'), std::u16string::npos);
}

}  // namespace
