// JSON values, the parser and the quoting rules used by every writer.
// No value tree is ever serialised: writers concatenate fragments and quote
// strings with jsonQuote (strict, MCP wire) or configQuote (lenient, files).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class JsonKind : int32_t { Null = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

struct JsonValue {
    JsonKind kind = JsonKind::Null;
    bool boolValue = false;
    double number = 0.0;
    std::u16string text;
    std::vector<JsonValue> items;
    std::map<std::u16string, JsonValue> members;  // ascending code-unit order
};

// Nesting deeper than this fails the parse instead of exhausting the stack.
constexpr int kMaxJsonDepth = 512;

std::optional<JsonValue> parseJson(const std::u16string& text);
std::optional<JsonValue> parseJson(const char16_t* text, size_t length);

// A whole document, as a file holds it: only white space may follow the value.
// On failure the error tells where the text stops making sense.
enum class JsonErrorKind : int32_t { Syntax = 0, UnexpectedEnd = 1, TooDeep = 2, TrailingText = 3 };
struct JsonError {
    JsonErrorKind kind = JsonErrorKind::Syntax;
    size_t offset = 0;  // in UTF-16 code units
};
std::optional<JsonValue> parseJsonDocument(const std::u16string& text, JsonError& error);
// 1-based line and column of an offset; a column counts characters, not code units.
struct JsonPlace {
    int line = 1;
    int column = 1;
};
JsonPlace jsonPlace(const std::u16string& text, size_t offset);

// Look-ups never fail: a missing member or one of another kind yields the default.
const JsonValue* findMember(const JsonValue& value, const std::u16string& key);
std::u16string getString(const JsonValue& value, const std::u16string& key, const std::u16string& fallback = {});
bool getBool(const JsonValue& value, const std::u16string& key, bool fallback);
double getNumber(const JsonValue& value, const std::u16string& key, double fallback);
// The number truncated toward zero and clamped to the int32 range (NaN gives 0).
int32_t getInt(const JsonValue& value, const std::u16string& key, int32_t fallback);
bool isKind(const JsonValue* value, JsonKind kind);

// Defined for every double: truncation toward zero, clamped to the target range.
int32_t clampToInt32(double value);
int64_t clampToInt64(double value);

// Where the array under `key` of the top-level object lies in UTF-8 text
// that parseJson accepted: its brackets and each element's [begin, end), for
// edits that leave every other byte as the user wrote it. Nothing when the
// object has no such array.
struct ArraySpans {
    size_t open = 0;  // the opening bracket
    size_t close = 0;  // the closing bracket
    std::vector<std::pair<size_t, size_t>> elements;
};
std::optional<ArraySpans> findArraySpans(const std::string& utf8, const std::u16string& key);

// Writers. All return UTF-8 bytes.
std::string jsonEscape(const std::string& utf8);
std::string jsonQuote(const std::u16string& text);
std::string configQuote(const std::u16string& text);
std::string configStringArray(const std::vector<std::u16string>& items);
std::string jsonStringArray(const std::vector<std::u16string>& items);
std::string intToText(int32_t value);
