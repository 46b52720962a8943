// The version resource of the built toolkeep.exe, read back the way Explorer's
// Properties > Details page reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "resources/version.h"
#include "tests/e2e/exe_process.h"

namespace {

std::wstring wide(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

// The value under the key in the version block, or null.
const void* queryValue(std::vector<char>& block, const std::wstring& key, UINT& length) {
    void* value = nullptr;
    length = 0;
    return VerQueryValueW(block.data(), key.c_str(), &value, &length) ? value : nullptr;
}

TEST(VersionResource, DetailsPageShowsTheProductAndTheAboutPageVersion) {
    const std::wstring exe = toolkeepExePath();
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, DWORD(block.size()), block.data()));

    // The About page's text and the numeric version come from the same header: they must agree.
    const std::string numbers = std::to_string(TOOLKEEP_VERSION_MAJOR) + "." + std::to_string(TOOLKEEP_VERSION_MINOR) +
                                "." + std::to_string(TOOLKEEP_VERSION_PATCH) + "." +
                                std::to_string(TOOLKEEP_VERSION_BUILD);
    EXPECT_EQ(numbers, TOOLKEEP_VERSION_TEXT);

    UINT length = 0;
    auto fixed = static_cast<const VS_FIXEDFILEINFO*>(queryValue(block, L"\\", length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(TOOLKEEP_VERSION_MINOR, TOOLKEEP_VERSION_MAJOR);
    const DWORD low = MAKELONG(TOOLKEEP_VERSION_BUILD, TOOLKEEP_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // no debug, pre-release or patched flag

    // Language neutral, Unicode: exactly one translation, 0000 / code page 1200.
    auto translation = static_cast<const WORD*>(queryValue(block, L"\\VarFileInfo\\Translation", length));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x0000);
    EXPECT_EQ(translation[1], 1200);

    const std::wstring version = wide(TOOLKEEP_VERSION_TEXT);
    const struct {
        const wchar_t* name;
        std::wstring value;
    } strings[] = {
        {L"FileVersion", version},
        {L"ProductVersion", version},
        {L"ProductName", L"Wrenly"},
        {L"FileDescription", L"Wrenly \u2013 pocket console for Windows administrators"},
        {L"OriginalFilename", L"toolkeep.exe"},
        {L"LegalCopyright", L"Copyright (c) 2026 the Wrenly authors. MIT License."},
    };
    for (const auto& expected : strings) {
        auto text = static_cast<const wchar_t*>(
            queryValue(block, std::wstring(L"\\StringFileInfo\\000004b0\\") + expected.name, length));
        const std::string name(expected.name, expected.name + wcslen(expected.name));
        ASSERT_NE(text, nullptr) << name;
        EXPECT_EQ(std::wstring(text), expected.value) << name;
    }
}

}  // namespace
