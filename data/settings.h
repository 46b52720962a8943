// The user's preferences, favourites and recent tools, kept in config.json.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/file_backup.h"

enum class ClickBehavior : int32_t { Single = 0, Double = 1 };
enum class ShellKind : int32_t { Cmd = 0, PowerShell = 1 };
enum class ThemeMode : int32_t { System = 0, Light = 1, Dark = 2 };
enum class Language : int32_t { ZhCN = 0, EnUS = 1 };

constexpr int32_t kMinFontSize = 8;
constexpr int32_t kMaxFontSize = 28;
constexpr int32_t kMinLeftWidth = 150;
constexpr int32_t kMaxLeftWidth = 1200;
constexpr size_t kMaxRecents = 8;

struct Settings {
    ClickBehavior clickBehavior = ClickBehavior::Single;
    ShellKind defaultShell = ShellKind::Cmd;
    ThemeMode theme = ThemeMode::System;
    int32_t fontSize = 12;
    Language language = Language::ZhCN;
    int32_t leftWidth = 300;
    bool showFileName = true;
    bool quickEdit = false;
    // Stored only: read and written back unchanged, never interpreted.
    bool aiEnabled = false;
    std::u16string aiBaseUrl;
    std::u16string aiModel;
    std::u16string aiKeyEnc;
    std::u16string localModel;
    bool localEnabled = true;
    std::vector<std::u16string> favorites;  // in the order they were added
    std::vector<std::u16string> recents;  // newest first
};

// %APPDATA%\Toolkeep\config.json, creating the folder; empty when there is no AppData folder.
std::u16string settingsPath();
// Never fails: anything missing or unusable takes its default. outcome, when
// given, tells what was found (an unusable file is copied aside at once).
Settings loadSettings(DocumentOutcome* outcome = nullptr);
Settings parseSettings(const std::u16string& text);
// The UTF-8 text of config.json.
std::string serializeSettings(const Settings& settings);
// Writes the whole record. A config.json that cannot be read is left alone
// (false); one that cannot be understood is copied aside first.
bool saveSettings(const Settings& settings);

// One change the user made: set a value, note a recent, set a favourite.
using SettingsChange = std::function<void(Settings& settings)>;
// Applies the change to the live record and, under the file's lock, to what
// config.json holds now, and saves the latter, so that changes another window
// saved meanwhile survive. Changes whose save failed wait in `unsaved` and go
// into the next save that succeeds. Afterwards the live favourites and
// recents are the saved ones. NotRead leaves config.json untouched.
SaveOutcome saveSettingsChange(Settings& live, const SettingsChange& change, std::vector<SettingsChange>& unsaved);

// Moves the id to the front of the recents, keeping at most eight.
void noteRecent(Settings& settings, const std::u16string& toolId);
// Removes the id from the favourites, or appends it when absent.
void toggleFavorite(Settings& settings, const std::u16string& toolId);
// Appends the id when absent (on) or removes every copy of it (off).
void setFavorite(Settings& settings, const std::u16string& toolId, bool on);
bool isFavorite(const Settings& settings, const std::u16string& toolId);
