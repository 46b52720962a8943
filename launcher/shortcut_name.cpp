#include "launcher/shortcut_name.h"

#include "data/text.h"

namespace {
// Numbered names tried before giving up; a desktop never holds that many of one tool.
constexpr int kMaxShortcutNumber = 99;
}  // namespace

std::u16string shortcutFileName(const std::u16string& name) {
    std::u16string result = name;
    for (char16_t& c : result) {
        switch (c) {
            case u'\\':
            case u'/':
            case u':':
            case u'*':
            case u'?':
            case u'"':
            case u'<':
            case u'>':
            case u'|': c = u'_'; break;
            default: break;
        }
    }
    return result;
}

std::string internetShortcutBytes(const std::u16string& url) {
    return "[InternetShortcut]\r\nURL=" + wideToUtf8(url) + "\r\n";
}

bool isPinCaption(const std::u16string& caption) {
    std::u16string folded;
    for (char16_t c : caption) {
        if (c == u'&') continue;
        folded.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c);
    }
    auto has = [&folded](const char16_t* part) { return folded.find(part) != std::u16string::npos; };
    if (has(u"取消") || has(u"unpin")) return false;
    return (has(u"固定") && has(u"任务栏")) || has(u"pin to taskbar");
}

bool isPinVerb(const std::string& verb) {
    const std::string expected = "taskbarpin";
    if (verb.size() != expected.size()) return false;
    for (size_t i = 0; i < verb.size(); ++i) {
        char c = verb[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != expected[i]) return false;
    }
    return true;
}

std::u16string numberedShortcutPath(const std::u16string& base, const std::u16string& extension, int n) {
    if (n <= 1) return base + extension;
    return base + u" (" + asciiToWide(std::to_string(n)) + u")" + extension;
}

bool placeShortcut(const std::u16string& base, const std::u16string& extension, const ShortcutFiles& files) {
    int free = 1;
    while (free <= kMaxShortcutNumber &&
           files.read(numberedShortcutPath(base, extension, free)).status != ReadStatus::Missing)
        ++free;
    if (free > kMaxShortcutNumber) return false;
    const std::u16string path = numberedShortcutPath(base, extension, free);
    if (!files.write(path)) return false;
    const FileRead written = files.read(path);
    if (written.status != ReadStatus::Read) return true;
    for (int n = 1; n < free; ++n) {
        const FileRead earlier = files.read(numberedShortcutPath(base, extension, n));
        if (earlier.status == ReadStatus::Read && earlier.bytes == written.bytes) {
            files.remove(path);
            return true;
        }
    }
    return true;
}
