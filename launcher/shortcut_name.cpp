#include "launcher/shortcut_name.h"

#include "data/text.h"

std::u16string shortcutFileName(const std::u16string& name) {
    std::u16string result = name;
    for (char16_t& c : result) {
        switch (c) {
            case u'\\': case u'/': case u':': case u'*': case u'?': case u'"': case u'<': case u'>': case u'|':
                c = u'_';
                break;
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
