// A private temporary folder for one test, with the per-user folder (APPDATA)
// pointed inside it and TOOLKEEP_DATA_DIR cleared; both are restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "data/files.h"
#include "data/text.h"
#include "platform/platform.h"

class Sandbox : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = platform::tempDir() + u"toolkeep-data-test-" + asciiToWide(std::to_string(stamp)) + u"-" +
               asciiToWide(std::to_string(++counter));
        appData = platform::joinPath(root, u"appdata");
        ASSERT_TRUE(platform::createDirectories(appData));
        savedAppData = platform::getEnv(u"APPDATA");
        savedDataDir = platform::getEnv(u"TOOLKEEP_DATA_DIR");
        platform::setEnv(u"APPDATA", appData);
        platform::unsetEnv(u"TOOLKEEP_DATA_DIR");
    }

    void TearDown() override {
        restore(u"APPDATA", savedAppData);
        restore(u"TOOLKEEP_DATA_DIR", savedDataDir);
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(root), ignored);
    }

    // Windows takes the per-user folder from the shell, not from APPDATA.
    bool perUserFolderRedirected() const { return platform::roamingAppDataDir() == appData; }
    std::u16string userFolder() const { return platform::joinPath(appData, u"Toolkeep"); }

    std::u16string makeDir(const std::u16string& name) {
        std::u16string dir = platform::joinPath(root, name);
        platform::createDirectories(dir);
        return dir;
    }

    static std::string read(const std::u16string& path) { return readWholeFile(path).value_or("<missing>"); }

    std::u16string root;
    std::u16string appData;

private:
    static void restore(const std::u16string& name, const std::optional<std::u16string>& value) {
        if (value)
            platform::setEnv(name, *value);
        else
            platform::unsetEnv(name);
    }
    std::optional<std::u16string> savedAppData;
    std::optional<std::u16string> savedDataDir;
};

// Only the program itself carries the packs as resources on Windows; the test
// program there has none.
#define REQUIRE_EMBEDDED_PACKS() \
    if (platform::embeddedResource(101).empty()) GTEST_SKIP() << "this program carries no embedded packs"

#define REQUIRE_PER_USER_REDIRECT() \
    if (!perUserFolderRedirected()) GTEST_SKIP() << "the per-user folder cannot be redirected here"
