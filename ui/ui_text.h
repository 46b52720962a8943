// Every visible text by a fixed id, in Chinese or English, and the language flag.
#pragma once

#include <string>
#include <vector>

#include "data/ui_text_ids.h"

constexpr int kUiTextCount = 313;

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

// The two long help texts (kTextHelpDocument and kTextMcpDocument), defined beside the table.
extern const char16_t kHelpDocumentZh[];
extern const char16_t kHelpDocumentEn[];
extern const char16_t kMcpDocumentZh[];
extern const char16_t kMcpDocumentEn[];

// Display name of a record: the English field when English and not empty.
std::u16string localized(const std::u16string& chinese, const std::u16string& english);
