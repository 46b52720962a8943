#include "data/settings.h"

#include <algorithm>

#include "data/file_backup.h"
#include "data/files.h"
#include "data/json.h"
#include "data/text.h"

namespace {

std::vector<std::u16string> readIdList(const JsonValue& document, const std::u16string& key) {
    std::vector<std::u16string> ids;
    if (const JsonValue* list = findMember(document, key); isKind(list, JsonKind::Array)) {
        for (const JsonValue& item : list->items) {
            if (item.kind == JsonKind::String && !item.text.empty()) ids.push_back(item.text);
        }
    }
    return ids;
}

int32_t readClamped(const JsonValue& document, const std::u16string& key, int32_t fallback, int32_t low, int32_t high) {
    const JsonValue* member = findMember(document, key);
    if (!isKind(member, JsonKind::Number)) return fallback;
    return std::clamp(clampToInt32(member->number), low, high);
}

const char* flag(bool value) { return value ? "true" : "false"; }

std::string line(const char* key, const std::string& value, bool last = false) {
    return std::string("  \"") + key + "\": " + value + (last ? "\n" : ",\n");
}

std::string quoted(const char* text) { return std::string("\"") + text + "\""; }

bool isSettingsDocument(const JsonValue& document) { return document.kind == JsonKind::Object; }

Settings settingsFrom(const JsonValue& doc) {
    Settings settings;
    if (doc.kind != JsonKind::Object) return settings;

    if (const JsonValue* v = findMember(doc, u"clickBehavior"); isKind(v, JsonKind::String))
        settings.clickBehavior = v->text == u"double" ? ClickBehavior::Double : ClickBehavior::Single;
    if (const JsonValue* v = findMember(doc, u"defaultShell"); isKind(v, JsonKind::String))
        settings.defaultShell = v->text == u"powershell" ? ShellKind::PowerShell : ShellKind::Cmd;
    if (const JsonValue* v = findMember(doc, u"theme"); isKind(v, JsonKind::String)) {
        settings.theme = v->text == u"light"  ? ThemeMode::Light
                         : v->text == u"dark" ? ThemeMode::Dark
                                              : ThemeMode::System;
    }
    settings.fontSize = readClamped(doc, u"fontSize", settings.fontSize, kMinFontSize, kMaxFontSize);
    if (const JsonValue* v = findMember(doc, u"language"); isKind(v, JsonKind::String))
        settings.language = v->text == u"en-US" ? Language::EnUS : Language::ZhCN;
    settings.leftWidth = readClamped(doc, u"leftWidth", settings.leftWidth, kMinLeftWidth, kMaxLeftWidth);
    settings.showFileName = getBool(doc, u"showFileName", settings.showFileName);
    settings.quickEdit = getBool(doc, u"quickEdit", settings.quickEdit);
    settings.aiEnabled = getBool(doc, u"aiEnabled", settings.aiEnabled);
    settings.aiBaseUrl = getString(doc, u"aiBaseUrl", settings.aiBaseUrl);
    settings.aiModel = getString(doc, u"aiModel", settings.aiModel);
    settings.aiKeyEnc = getString(doc, u"aiKeyEnc", settings.aiKeyEnc);
    settings.localModel = getString(doc, u"localModel", settings.localModel);
    settings.localEnabled = getBool(doc, u"localEnabled", settings.localEnabled);
    settings.favorites = readIdList(doc, u"favorites");
    settings.recents = readIdList(doc, u"recents");
    return settings;
}

}  // namespace

std::u16string settingsPath() { return userFilePath(u"config.json"); }

Settings loadSettings(DocumentOutcome* outcome) {
    std::u16string path = settingsPath();
    if (path.empty()) return Settings();
    StoredDocument stored = readStoredDocument(path, isSettingsDocument);
    if (outcome) *outcome = stored.outcome;
    return settingsFrom(stored.document);
}

Settings parseSettings(const std::u16string& text) {
    auto parsed = parseJson(text);
    return parsed ? settingsFrom(*parsed) : Settings();
}

std::string serializeSettings(const Settings& s) {
    const char* theme = s.theme == ThemeMode::Light ? "light" : s.theme == ThemeMode::Dark ? "dark" : "system";
    std::string text = "{\n";
    text += line("clickBehavior", quoted(s.clickBehavior == ClickBehavior::Double ? "double" : "single"));
    text += line("defaultShell", quoted(s.defaultShell == ShellKind::PowerShell ? "powershell" : "cmd"));
    text += line("theme", quoted(theme));
    text += line("fontSize", intToText(s.fontSize));
    text += line("language", quoted(s.language == Language::EnUS ? "en-US" : "zh-CN"));
    text += line("leftWidth", intToText(s.leftWidth));
    text += line("showFileName", flag(s.showFileName));
    text += line("quickEdit", flag(s.quickEdit));
    text += line("aiEnabled", flag(s.aiEnabled));
    text += line("aiBaseUrl", configQuote(s.aiBaseUrl));
    text += line("aiModel", configQuote(s.aiModel));
    text += line("aiKeyEnc", configQuote(s.aiKeyEnc));
    text += line("localModel", configQuote(s.localModel));
    text += line("localEnabled", flag(s.localEnabled));
    text += line("favorites", configStringArray(s.favorites));
    text += line("recents", configStringArray(s.recents), true);
    text += "}\n";
    return text;
}

bool saveSettings(const Settings& settings) {
    return saveUnderLock(settingsPath(), isSettingsDocument, [&settings](const StoredDocument&) {
               return serializeSettings(settings);
           }) == SaveOutcome::Saved;
}

SaveOutcome saveSettingsChange(Settings& live, const SettingsChange& change, std::vector<SettingsChange>& unsaved) {
    change(live);
    unsaved.push_back(change);
    Settings saved;
    SaveOutcome outcome = saveUnderLock(settingsPath(), isSettingsDocument, [&](const StoredDocument& stored) {
        // A file that is gone or broken holds nothing newer than the live record.
        saved = live;
        if (stored.outcome.state == DocumentState::Loaded) {
            saved = settingsFrom(stored.document);
            for (const SettingsChange& waiting : unsaved) waiting(saved);
        }
        return serializeSettings(saved);
    });
    if (outcome != SaveOutcome::Saved) return outcome;
    live.favorites = saved.favorites;
    live.recents = saved.recents;
    unsaved.clear();
    return outcome;
}

void noteRecent(Settings& settings, const std::u16string& toolId) {
    auto& recents = settings.recents;
    recents.erase(std::remove(recents.begin(), recents.end(), toolId), recents.end());
    recents.insert(recents.begin(), toolId);
    if (recents.size() > kMaxRecents) recents.resize(kMaxRecents);
}

void toggleFavorite(Settings& settings, const std::u16string& toolId) {
    auto& favorites = settings.favorites;
    auto found = std::find(favorites.begin(), favorites.end(), toolId);
    if (found != favorites.end())
        favorites.erase(found);
    else
        favorites.push_back(toolId);
}

bool isFavorite(const Settings& settings, const std::u16string& toolId) {
    return std::find(settings.favorites.begin(), settings.favorites.end(), toolId) != settings.favorites.end();
}

void setFavorite(Settings& settings, const std::u16string& toolId, bool on) {
    auto& favorites = settings.favorites;
    if (!on) {
        favorites.erase(std::remove(favorites.begin(), favorites.end(), toolId), favorites.end());
    } else if (!isFavorite(settings, toolId)) {
        favorites.push_back(toolId);
    }
}
