// The real toolkeep.exe started in each run mode, with its exit codes.
#include <gtest/gtest.h>

#include "tests/e2e/exe_process.h"

namespace {

int runToEnd(const std::wstring& arguments) {
    ExeProcess process = startToolkeep(arguments);
    int code = waitForExit(process, 30000);
    closeProcess(process);
    return code;
}

TEST(RunModes, SemanticLiveValueAloneRunsNothingAndSucceeds) { EXPECT_EQ(runToEnd(L"--selftest-semantic-live x"), 0); }

TEST(RunModes, UnknownArgumentOpensTheWindowWhichClosesWithZero) {
    ExeProcess process = startToolkeep(L"some-file.txt");
    HWND window = findProcessWindow(process, L"ToolkeepNativeMainWindow", 20000);
    ASSERT_NE(window, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    // Wine runs every process elevated, which the title marks.
    std::wstring text = title;
    EXPECT_TRUE(text == L"Wrenly" || text == L"Wrenly（管理员）" || text == L"Wrenly (Administrator)") << text.size();
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 1320);
    EXPECT_EQ(bounds.bottom - bounds.top, 840);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(waitForExit(process, 20000), 0);
    closeProcess(process);
}

}  // namespace
