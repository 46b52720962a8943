// Every visible text by a fixed id, in Chinese or English, and the language flag.
#pragma once

#include <string>
#include <vector>

constexpr int kUiTextCount = 285;

// Reports about the user's files; each "%s" is filled in order by uiTextWith.
constexpr int kTextFileUnreadable = 202;       // file, error code
constexpr int kTextFileBrokenKept = 203;       // file, copy
constexpr int kTextFileBrokenNotKept = 204;    // file
constexpr int kTextSettingsNotWritten = 205;   // file
constexpr int kTextSettingsNotRead = 206;      // file
constexpr int kTextCustomToolNotRemoved = 207; // tool name, file
constexpr int kTextCustomToolsNotRead = 208;   // file
constexpr int kTextOutputNotSaved = 209;       // file
// The session report: the menu item, its outcome and the report's own words.
constexpr int kTextSaveSessionReport = 228;
constexpr int kTextReportSaved = 229;          // file
constexpr int kTextReportNotSaved = 230;       // file
constexpr int kTextReportTitle = 231;          // 231..259: the report's own words
constexpr int kTextReportHtmlFiles = 260;
constexpr int kTextReportTextFiles = 261;
constexpr int kTextReportSaving = 262;
// Questions before a custom tool is added twice or removed.
constexpr int kTextCustomToolAddAgain = 263;   // tool name
constexpr int kTextRemoveCustomToolTitle = 264;
constexpr int kTextRemoveCustomToolAsk = 265;  // tool name
constexpr int kTextToolNotHere = 266;          // after a playbook step's tool name

// 0 = Chinese, 1 = English; any value other than 1 shows Chinese.
int uiLanguage();
void setUiLanguage(int language);
bool uiEnglish();
// The settings value "en-US" gives English; anything else Chinese.
int languageFromSetting(const std::u16string& stored);

// The text in the current language; empty for an id outside the table.
std::u16string uiText(int id);
// The text with each "%s" replaced by the next of the values, in order.
std::u16string uiTextWith(int id, const std::vector<std::u16string>& values);
// The text in the given language (1 English, else Chinese).
std::u16string uiTextIn(int language, int id);

// The two long help texts (ids 106 and 163), defined beside the table.
extern const char16_t kHelpDocumentZh[];
extern const char16_t kHelpDocumentEn[];
extern const char16_t kMcpDocumentZh[];
extern const char16_t kMcpDocumentEn[];

// Display name of a record: the English field when English and not empty.
std::u16string localized(const std::u16string& chinese, const std::u16string& english);
