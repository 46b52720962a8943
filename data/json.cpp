#include "data/json.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "data/text.h"

namespace {

struct Cursor {
    const char16_t* pos;
    const char16_t* end;
    int depth = 0;
    bool tooDeep = false;
};

bool isWhitespace(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ' || c == 0xFEFF; }

void skipWhitespace(Cursor& c) {
    while (c.pos < c.end && isWhitespace(*c.pos)) ++c.pos;
}

bool parseValue(Cursor& c, JsonValue& out);

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Cursor stands on the opening quotation mark.
bool parseString(Cursor& c, std::u16string& out) {
    ++c.pos;
    const char16_t* runStart = c.pos;
    while (true) {
        if (c.pos >= c.end) return false;
        char16_t ch = *c.pos;
        if (ch == u'"') {
            out.append(runStart, c.pos);
            ++c.pos;
            return true;
        }
        if (ch != u'\\') {
            ++c.pos;
            continue;
        }
        out.append(runStart, c.pos);
        ++c.pos;
        if (c.pos >= c.end) return false;
        switch (*c.pos) {
            case u'"': out += u'"'; break;
            case u'/': out += u'/'; break;
            case u'\\': out += u'\\'; break;
            case u'b': out += char16_t(0x08); break;
            case u'f': out += char16_t(0x0C); break;
            case u'n': out += u'\n'; break;
            case u'r': out += u'\r'; break;
            case u't': out += u'\t'; break;
            case u'u': {
                if (c.end - c.pos < 5) return false;
                unsigned unit = 0;
                for (int i = 1; i <= 4; ++i) {
                    int d = hexDigit(c.pos[i]);
                    if (d < 0) return false;
                    unit = unit * 16 + unsigned(d);
                }
                out += char16_t(unit);
                c.pos += 4;
                break;
            }
            default: return false;
        }
        ++c.pos;
        runStart = c.pos;
    }
}

bool isNumberChar(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || ch == u'+' || ch == u'-' || ch == u'.' || ch == u'e' || ch == u'E';
}

// Converts the longest valid prefix like wcstod does in the "C" locale, but
// without consulting the process locale at all.
double convertNumberRun(const char* run, size_t length) {
    const char* p = run;
    const char* end = run + length;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || *p == '+' || *p == '-') return 0.0;
    double value = 0.0;
    auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow gives infinity, underflow gives zero, as strtod does.
        bool negativeExponent = false;
        for (const char* q = p; q < result.ptr; ++q) {
            if (*q == 'e' || *q == 'E') negativeExponent = (q + 1 < result.ptr && q[1] == '-');
        }
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

bool parseNumber(Cursor& c, JsonValue& out) {
    const char16_t* start = c.pos;
    while (c.pos < c.end && isNumberChar(*c.pos)) ++c.pos;
    size_t length = size_t(c.pos - start);
    if (length == 0) return false;
    char small[64];
    std::string large;
    char* run = small;
    if (length > sizeof small) {
        large.resize(length);
        run = large.data();
    }
    for (size_t i = 0; i < length; ++i) run[i] = char(start[i]);
    out.kind = JsonKind::Number;
    out.number = convertNumberRun(run, length);
    return true;
}

bool matchLiteral(Cursor& c, const char16_t* literal, size_t length) {
    if (size_t(c.end - c.pos) < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (c.pos[i] != literal[i]) return false;
    }
    c.pos += length;
    return true;
}

bool parseArray(Cursor& c, JsonValue& out) {
    ++c.pos;
    out.kind = JsonKind::Array;
    skipWhitespace(c);
    if (c.pos < c.end && *c.pos == u']') {
        ++c.pos;
        return true;
    }
    while (true) {
        out.items.emplace_back();
        if (!parseValue(c, out.items.back())) return false;
        skipWhitespace(c);
        // The cursor stays on an unexpected character: that is where the text is wrong.
        if (c.pos >= c.end || (*c.pos != u']' && *c.pos != u',')) return false;
        if (*c.pos++ == u']') return true;
    }
}

bool parseObject(Cursor& c, JsonValue& out) {
    ++c.pos;
    out.kind = JsonKind::Object;
    skipWhitespace(c);
    if (c.pos < c.end && *c.pos == u'}') {
        ++c.pos;
        return true;
    }
    while (true) {
        skipWhitespace(c);
        if (c.pos >= c.end || *c.pos != u'"') return false;
        std::u16string key;
        if (!parseString(c, key)) return false;
        skipWhitespace(c);
        if (c.pos >= c.end || *c.pos != u':') return false;
        ++c.pos;
        // Parse straight into the member; a repeated key starts over in place.
        auto [slot, inserted] = out.members.try_emplace(std::move(key));
        if (!inserted) slot->second = JsonValue();
        if (!parseValue(c, slot->second)) return false;
        skipWhitespace(c);
        if (c.pos >= c.end || (*c.pos != u'}' && *c.pos != u',')) return false;
        if (*c.pos++ == u'}') return true;
    }
}

bool parseValue(Cursor& c, JsonValue& out) {
    skipWhitespace(c);
    if (c.pos >= c.end) return false;
    switch (*c.pos) {
        case u'"': out.kind = JsonKind::String; return parseString(c, out.text);
        case u'[':
        case u'{': {
            if (++c.depth > kMaxJsonDepth) {
                c.tooDeep = true;
                return false;
            }
            bool ok = *c.pos == u'[' ? parseArray(c, out) : parseObject(c, out);
            --c.depth;
            return ok;
        }
        case u't':
        case u'f':
            out.kind = JsonKind::Bool;
            if (matchLiteral(c, u"true", 4)) {
                out.boolValue = true;
                return true;
            }
            return matchLiteral(c, u"false", 5);
        case u'n': out.kind = JsonKind::Null; return matchLiteral(c, u"null", 4);
        default: return parseNumber(c, out);
    }
}

}  // namespace

std::optional<JsonValue> parseJson(const char16_t* text, size_t length) {
    Cursor c{text, text + length};
    JsonValue value;
    if (!parseValue(c, value)) return std::nullopt;
    return value;
}

std::optional<JsonValue> parseJson(const std::u16string& text) { return parseJson(text.data(), text.size()); }

std::optional<JsonValue> parseJsonDocument(const std::u16string& text, JsonError& error) {
    Cursor c{text.data(), text.data() + text.size()};
    JsonValue value;
    bool ok = parseValue(c, value);
    if (ok) skipWhitespace(c);
    if (ok && c.pos == c.end) return value;
    error.offset = size_t(c.pos - text.data());
    error.kind = c.tooDeep               ? JsonErrorKind::TooDeep
                 : !ok && c.pos >= c.end ? JsonErrorKind::UnexpectedEnd
                 : ok                    ? JsonErrorKind::TrailingText
                                         : JsonErrorKind::Syntax;
    return std::nullopt;
}

JsonPlace jsonPlace(const std::u16string& text, size_t offset) {
    JsonPlace place;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == u'\n') {
            ++place.line;
            place.column = 1;
        } else if ((text[i] & 0xFC00) != 0xDC00) {  // a surrogate pair is one character
            ++place.column;
        }
    }
    return place;
}

const JsonValue* findMember(const JsonValue& value, const std::u16string& key) {
    if (value.kind != JsonKind::Object) return nullptr;
    auto it = value.members.find(key);
    return it == value.members.end() ? nullptr : &it->second;
}

bool isKind(const JsonValue* value, JsonKind kind) { return value && value->kind == kind; }

std::u16string getString(const JsonValue& value, const std::u16string& key, const std::u16string& fallback) {
    const JsonValue* m = findMember(value, key);
    return isKind(m, JsonKind::String) ? m->text : fallback;
}

bool getBool(const JsonValue& value, const std::u16string& key, bool fallback) {
    const JsonValue* m = findMember(value, key);
    return isKind(m, JsonKind::Bool) ? m->boolValue : fallback;
}

double getNumber(const JsonValue& value, const std::u16string& key, double fallback) {
    const JsonValue* m = findMember(value, key);
    return isKind(m, JsonKind::Number) ? m->number : fallback;
}

int32_t getInt(const JsonValue& value, const std::u16string& key, int32_t fallback) {
    const JsonValue* m = findMember(value, key);
    return isKind(m, JsonKind::Number) ? clampToInt32(m->number) : fallback;
}

int32_t clampToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    if (value >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    return int32_t(value);
}

int64_t clampToInt64(double value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; anything at or beyond it clamps.
    if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    if (value >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
    return int64_t(value);
}

std::string jsonEscape(const std::string& utf8) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(utf8.size() + 8);
    const char* run = utf8.data();
    const char* end = run + utf8.size();
    for (const char* p = run; p < end; ++p) {
        unsigned char b = static_cast<unsigned char>(*p);
        if (b >= 0x20 && b != 0x22 && b != 0x5C) continue;
        out.append(run, p);  // copy the stretch that needs no escaping in one go
        run = p + 1;
        switch (b) {
            case 0x22: out += "\\\""; break;
            case 0x5C: out += "\\\\"; break;
            case 0x09: out += "\\t"; break;
            case 0x0A: out += "\\n"; break;
            case 0x0D: out += "\\r"; break;
            default:
                out += "\\u00";
                out += kHex[b >> 4];
                out += kHex[b & 15];
        }
    }
    out.append(run, end);
    return out;
}

std::string jsonQuote(const std::u16string& text) {
    std::string out(1, '"');
    out += jsonEscape(wideToUtf8(text));
    out += '"';
    return out;
}

std::string configQuote(const std::u16string& text) {
    std::string out = "\"";
    for (char b : wideToUtf8(text)) {
        switch (b) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += b;
        }
    }
    out += "\"";
    return out;
}

namespace {
template <typename Quote>
std::string joinQuoted(const std::vector<std::u16string>& items, const char* separator, Quote quote) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += separator;
        out += quote(items[i]);
    }
    return out + "]";
}
}  // namespace

std::string configStringArray(const std::vector<std::u16string>& items) { return joinQuoted(items, ", ", configQuote); }

std::string jsonStringArray(const std::vector<std::u16string>& items) { return joinQuoted(items, ",", jsonQuote); }

std::string intToText(int32_t value) { return std::to_string(value); }

namespace {

// A byte scanner over text parseJson has accepted: it only needs to find
// where values begin and end, never to judge them.
struct ByteCursor {
    const std::string& text;
    size_t pos = 0;
    bool atEnd() const { return pos >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[pos]; }
};

void skipBlanks(ByteCursor& c) {
    while (!c.atEnd()) {
        const char b = c.peek();
        if (b == ' ' || b == '\t' || b == '\n' || b == '\r') {
            ++c.pos;
        } else if (c.text.compare(c.pos, 3, "\xEF\xBB\xBF") == 0) {
            c.pos += 3;  // U+FEFF counts as a blank, as for the parser
        } else {
            return;
        }
    }
}

// Cursor on the opening quotation mark; leaves it after the closing one.
void skipString(ByteCursor& c) {
    for (++c.pos; !c.atEnd(); ++c.pos) {
        if (c.peek() == '\\') {
            ++c.pos;
        } else if (c.peek() == '"') {
            ++c.pos;
            return;
        }
    }
}

void skipValue(ByteCursor& c) {
    const char first = c.peek();
    if (first == '"') {
        skipString(c);
        return;
    }
    if (first != '{' && first != '[') {  // a number or a literal
        while (!c.atEnd() && std::string_view(",}] \t\n\r").find(c.peek()) == std::string_view::npos) ++c.pos;
        return;
    }
    int depth = 0;
    while (!c.atEnd()) {
        const char b = c.peek();
        if (b == '"') {
            skipString(c);
            continue;
        }
        ++c.pos;
        if (b == '{' || b == '[') {
            ++depth;
        } else if ((b == '}' || b == ']') && --depth == 0) {
            return;
        }
    }
}

}  // namespace

std::optional<ArraySpans> findArraySpans(const std::string& utf8, const std::u16string& key) {
    ByteCursor c{utf8};
    skipBlanks(c);
    if (c.peek() != '{') return std::nullopt;
    ++c.pos;
    std::string quotedKey = wideToUtf8(key);
    quotedKey.insert(quotedKey.begin(), '"');
    quotedKey.push_back('"');
    std::optional<ArraySpans> found;
    while (true) {
        skipBlanks(c);
        if (c.peek() != '"') return found;
        const size_t keyStart = c.pos;
        skipString(c);
        const bool wanted = utf8.compare(keyStart, c.pos - keyStart, quotedKey) == 0;
        skipBlanks(c);
        if (c.peek() != ':') return std::nullopt;
        ++c.pos;
        skipBlanks(c);
        if (wanted && c.peek() == '[') {
            // The last of repeated keys wins, as for the parser.
            ArraySpans spans;
            spans.open = c.pos++;
            while (true) {
                skipBlanks(c);
                if (c.peek() == ']') break;
                const size_t begin = c.pos;
                skipValue(c);
                spans.elements.push_back({begin, c.pos});
                skipBlanks(c);
                if (c.peek() == ',') ++c.pos;
                if (c.atEnd()) return std::nullopt;
            }
            spans.close = c.pos++;
            found = std::move(spans);
        } else {
            skipValue(c);
        }
        skipBlanks(c);
        if (c.peek() != ',') return found;
        ++c.pos;
    }
}
