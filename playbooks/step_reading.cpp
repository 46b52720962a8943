#include "playbooks/step_reading.h"

#include "data/text.h"
#include "playbooks/playbook.h"

namespace {

constexpr size_t kMaxHostName = 253;
constexpr size_t kMaxLabel = 63;
constexpr size_t kMaxNumberDigits = 10;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\x3000'; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isHex(char16_t c) { return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool isAlnum(char16_t c) { return isDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::u16string trimmed(const std::u16string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::vector<std::u16string> split(const std::u16string& text, char16_t separator) {
    std::vector<std::u16string> parts(1);
    for (char16_t c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// No leading zeros: some tools read "010" as octal, so it is not the address it looks like.
bool isIPv4(const std::u16string& text) {
    std::vector<std::u16string> parts = split(text, u'.');
    if (parts.size() != 4) return false;
    for (const std::u16string& part : parts) {
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == u'0')) return false;
        int value = 0;
        for (char16_t c : part) {
            if (!isDigit(c)) return false;
            value = value * 10 + (c - u'0');
        }
        if (value > 255) return false;
    }
    return true;
}

bool isIPv6(const std::u16string& whole) {
    std::u16string text = whole;
    size_t zone = text.find(u'%');
    if (zone != std::u16string::npos) {
        std::u16string id = text.substr(zone + 1);
        if (id.empty()) return false;
        for (char16_t c : id)
            if (!isAlnum(c)) return false;
        text.resize(zone);
    }
    size_t gap = text.find(u"::");
    if (gap != std::u16string::npos && text.find(u"::", gap + 1) != std::u16string::npos) return false;
    std::vector<std::u16string> groups;
    auto groupsOf = [](const std::u16string& part) {
        return part.empty() ? std::vector<std::u16string>{} : split(part, u':');
    };
    std::vector<std::u16string> head = groupsOf(gap == std::u16string::npos ? text : text.substr(0, gap));
    std::vector<std::u16string> tail =
        gap == std::u16string::npos ? std::vector<std::u16string>{} : groupsOf(text.substr(gap + 2));
    groups = head;
    groups.insert(groups.end(), tail.begin(), tail.end());
    size_t width = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        const std::u16string& g = groups[i];
        if (i + 1 == groups.size() && g.find(u'.') != std::u16string::npos) {
            if (!isIPv4(g)) return false;
            width += 2;
            continue;
        }
        if (g.empty() || g.size() > 4) return false;
        for (char16_t c : g)
            if (!isHex(c)) return false;
        width += 1;
    }
    return gap == std::u16string::npos ? width == 8 : width < 8;
}

// Letters, digits and inner hyphens per label: nothing a shell or a program's
// option parser reads as anything but a name.
bool isHostName(const std::u16string& text) {
    if (text.empty() || text.size() > kMaxHostName) return false;
    for (const std::u16string& label : split(text, u'.')) {
        if (label.empty() || label.size() > kMaxLabel || label.front() == u'-' || label.back() == u'-') return false;
        for (char16_t c : label)
            if (!isAlnum(c) && c != u'-') return false;
    }
    return true;
}

bool isNumber(const std::u16string& text) {
    if (text.empty() || text.size() > kMaxNumberDigits) return false;
    for (char16_t c : text)
        if (!isDigit(c)) return false;
    return true;
}

bool holdsAny(const std::u16string& lowerLine, const std::vector<std::u16string>& lowerFragments) {
    for (const std::u16string& fragment : lowerFragments)
        if (lowerLine.find(fragment) != std::u16string::npos) return true;
    return false;
}

std::vector<std::u16string> lowered(const std::vector<std::u16string>& fragments) {
    std::vector<std::u16string> out;
    for (const std::u16string& f : fragments) out.push_back(lowerAscii(f));
    return out;
}

// The text after the label, without the leader ipconfig draws (". . . :").
std::u16string afterLeader(const std::u16string& line, size_t end) {
    size_t i = end;
    while (i < line.size() && (isBlank(line[i]) || line[i] == u'.')) ++i;
    if (i < line.size() && (line[i] == u':' || line[i] == u'\xFF1A')) ++i;
    return trimmed(line.substr(i));
}

bool isContinuation(const std::u16string& line) {
    if (line.empty() || !isBlank(line[0])) return false;
    std::u16string word = trimmed(line);
    if (word.empty()) return false;
    for (char16_t c : word)
        if (isBlank(c)) return false;
    return true;
}

bool capture(const OutputCapture& rule, const std::vector<std::u16string>& lines,
             const std::vector<std::u16string>& lowerLines, std::u16string& value) {
    std::vector<std::u16string> labels = lowered(rule.labels);
    for (size_t i = 0; i < lines.size(); ++i) {
        for (const std::u16string& label : labels) {
            size_t at = lowerLines[i].find(label);
            if (at == std::u16string::npos) continue;
            std::vector<std::u16string> candidates{afterLeader(lines[i], at + label.size())};
            for (size_t k = i + 1; k < lines.size() && isContinuation(lines[k]); ++k)
                candidates.push_back(trimmed(lines[k]));
            for (const std::u16string& candidate : candidates) {
                if (isValueOfKind(rule.kind, candidate)) {
                    value = candidate;
                    return true;
                }
            }
            break;
        }
    }
    return false;
}

bool readFragments(const JsonValue& reading, const char16_t* key, std::vector<std::u16string>& out) {
    const JsonValue* array = findMember(reading, key);
    if (!array) return true;
    if (array->kind != JsonKind::Array) return false;
    for (const JsonValue& item : array->items) {
        if (item.kind != JsonKind::String || trimmed(item.text).empty()) return false;
        out.push_back(item.text);
    }
    return true;
}

bool isCaptureName(const std::u16string& name) {
    if (name.empty()) return false;
    for (char16_t c : name)
        if (!isAlnum(c) && c != u'_' && c != u'-') return false;
    return true;
}

ParsedReading broken(const std::u16string& zh, const std::u16string& en) {
    ParsedReading out;
    out.present = true;
    out.problem = u"读取规则无效: " + zh;
    out.problemEn = u"The reading rules are broken: " + en;
    return out;
}

}  // namespace

bool isValueOfKind(CaptureKind kind, const std::u16string& text) {
    switch (kind) {
        case CaptureKind::IPv4: return isIPv4(text);
        case CaptureKind::IPv6: return isIPv6(text);
        case CaptureKind::HostName: return isHostName(text);
        case CaptureKind::Number: return isNumber(text);
    }
    return false;
}

StepOutcome outcomeFromText(const std::u16string& text) {
    if (text == u"ok") return StepOutcome::Ok;
    if (text == u"fail") return StepOutcome::Fail;
    return StepOutcome::Unknown;
}

const char16_t* outcomeText(StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Ok: return u"ok";
        case StepOutcome::Fail: return u"fail";
        case StepOutcome::Unknown: break;
    }
    return u"unknown";
}

StepOutcome branchOutcome(const std::u16string& on, const std::u16string& when) {
    return outcomeFromText(on.empty() ? when : on);
}

CaptureKind captureKindFromText(const std::u16string& text, bool* known) {
    const CaptureKind kinds[] = {CaptureKind::IPv4, CaptureKind::IPv6, CaptureKind::HostName, CaptureKind::Number};
    for (CaptureKind kind : kinds) {
        if (text == captureKindText(kind)) {
            if (known) *known = true;
            return kind;
        }
    }
    if (known) *known = false;
    return CaptureKind::IPv4;
}

const char16_t* captureKindText(CaptureKind kind) {
    switch (kind) {
        case CaptureKind::IPv4: return u"ipv4";
        case CaptureKind::IPv6: return u"ipv6";
        case CaptureKind::HostName: return u"hostname";
        case CaptureKind::Number: return u"number";
    }
    return u"ipv4";
}

ParsedReading parseReadingRules(const JsonValue* reading) {
    ParsedReading out;
    if (!reading) return out;
    if (reading->kind != JsonKind::Object) return broken(u"\"reading\" 不是对象", u"\"reading\" is not an object.");
    if (!readFragments(*reading, u"ok", out.rules.ok) || !readFragments(*reading, u"fail", out.rules.fail))
        return broken(u"\"ok\"/\"fail\" 须为非空文字的数组", u"\"ok\" and \"fail\" must be arrays of non-empty texts.");
    if (const JsonValue* decides = findMember(*reading, u"decides")) {
        StepOutcome outcome = decides->kind == JsonKind::String ? outcomeFromText(decides->text) : StepOutcome::Unknown;
        if (outcome == StepOutcome::Unknown)
            return broken(u"\"decides\" 只能是 ok 或 fail", u"\"decides\" must be ok or fail.");
        out.rules.decides = outcome;
    }
    if (const JsonValue* captures = findMember(*reading, u"captures")) {
        if (captures->kind != JsonKind::Array)
            return broken(u"\"captures\" 不是数组", u"\"captures\" is not an array.");
        for (const JsonValue& item : captures->items) {
            OutputCapture rule;
            bool known = false;
            if (item.kind == JsonKind::Object) {
                rule.name = getString(item, u"name");
                rule.kind = captureKindFromText(getString(item, u"kind"), &known);
            }
            if (item.kind != JsonKind::Object || !isCaptureName(rule.name) || !known || !findMember(item, u"after") ||
                !readFragments(item, u"after", rule.labels) || rule.labels.empty())
                return broken(u"每个取值须有名称(字母、数字、_、-)、类型(ipv4/ipv6/hostname/number)和非空的 \"after\"",
                              u"each capture needs a name (letters, digits, _ or -), a kind (ipv4, ipv6, hostname or "
                              u"number) and a non-empty \"after\".");
            out.rules.captures.push_back(std::move(rule));
        }
    }
    if (out.rules.ok.empty() && out.rules.fail.empty() && out.rules.captures.empty())
        return broken(u"没有任何判据或取值", u"it has no evidence and no capture.");
    out.present = true;
    return out;
}

void keepCapture(SessionCaptures& captures, const CapturedValue& value) {
    for (CapturedValue& kept : captures.values) {
        if (kept.name == value.name) {
            kept = value;
            return;
        }
    }
    captures.values.push_back(value);
}

const CapturedValue* findCapture(const SessionCaptures& captures, const std::u16string& name) {
    for (const CapturedValue& kept : captures.values)
        if (kept.name == name) return &kept;
    return nullptr;
}

StepReading readStepOutput(const Playbook& playbook, const PlaybookStep& step,
                           const std::vector<std::u16string>& lines) {
    StepReading reading;
    if (!step.hasReading) return reading;
    const ReadingRules& rules = step.reading;
    std::vector<std::u16string> lowerLines;
    for (const std::u16string& line : lines) lowerLines.push_back(lowerAscii(line));
    std::vector<std::u16string> ok = lowered(rules.ok), fail = lowered(rules.fail);
    const std::u16string* okLine = nullptr;
    const std::u16string* failLine = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!okLine && holdsAny(lowerLines[i], ok)) okLine = &lines[i];
        if (!failLine && holdsAny(lowerLines[i], fail)) failLine = &lines[i];
    }
    if (okLine && failLine)
        reading.outcome = rules.decides;
    else if (okLine)
        reading.outcome = StepOutcome::Ok;
    else if (failLine)
        reading.outcome = StepOutcome::Fail;
    if (reading.outcome != StepOutcome::Unknown)
        reading.matched = trimmed(*(reading.outcome == StepOutcome::Ok ? okLine : failLine));
    for (size_t i = 0; reading.outcome != StepOutcome::Unknown && i < step.branches.size(); ++i) {
        if (step.branches[i].on == reading.outcome) {
            reading.branch = int(i);
            break;
        }
    }
    for (const OutputCapture& rule : rules.captures) {
        std::u16string value;
        bool taken = false;
        for (const CapturedValue& earlier : reading.captures) taken = taken || earlier.name == rule.name;
        if (!taken && capture(rule, lines, lowerLines, value))
            reading.captures.push_back({rule.name, value, playbook.id, step.id});
    }
    return reading;
}

StepReading readStepAndKeep(const Playbook& playbook, const PlaybookStep& step,
                            const std::vector<std::u16string>& lines, SessionCaptures& captures) {
    StepReading reading = readStepOutput(playbook, step, lines);
    for (const CapturedValue& value : reading.captures) keepCapture(captures, value);
    return reading;
}

FilledCommand fillStepCommand(const PlaybookStep& step, const SessionCaptures& captures) {
    FilledCommand out;
    out.complete = true;
    const std::u16string& command = step.command;
    for (size_t i = 0; i < command.size();) {
        size_t close = command[i] == u'{' ? command.find(u'}', i) : std::u16string::npos;
        if (close == std::u16string::npos) {
            out.command += command[i++];
            continue;
        }
        const CapturedValue* value = findCapture(captures, command.substr(i + 1, close - i - 1));
        if (value) {
            out.command += value->value;
        } else {
            out.command += command.substr(i, close - i + 1);
            out.complete = false;
        }
        i = close + 1;
    }
    out.verdict = checkCommand(step.shell, out.command);
    return out;
}

std::vector<std::u16string> splitOutputLines(const std::u16string& text) {
    std::vector<std::u16string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

bool commandFitsStep(const std::u16string& enteredText, const std::u16string& stepCommand) {
    std::u16string entered = lowerAscii(trimmed(enteredText));
    std::u16string pattern = lowerAscii(trimmed(stepCommand));
    size_t at = 0;
    for (size_t i = 0; i < pattern.size();) {
        size_t close = pattern[i] == u'{' ? pattern.find(u'}', i) : std::u16string::npos;
        if (close == std::u16string::npos) {
            if (at >= entered.size() || entered[at] != pattern[i]) return false;
            ++at;
            ++i;
            continue;
        }
        size_t start = at;
        char16_t next = close + 1 < pattern.size() ? pattern[close + 1] : u'\0';
        while (at < entered.size() && !isBlank(entered[at]) && entered[at] != next) ++at;
        if (at == start) return false;
        i = close + 1;
    }
    return at == entered.size();
}
