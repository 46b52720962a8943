#include "app/run_mode.h"

#include "platform/platform.h"
#include "playbooks/playbook_files.h"

namespace {

bool equalsIgnoringCase(const std::u16string& a, const char16_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = char16_t(y - u'A' + u'a');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == 0;
}

const char16_t* const kSuiteSwitches[kSuiteCount] = {
    u"--selftest-terminal", u"--selftest-config", u"--selftest-semantic",
    u"--selftest-datapack", u"--selftest-mcp",    u"--selftest-playbook",
};

// A process id: decimal digits only, within 32 bits; 0 otherwise.
unsigned long processIdArgument(const std::u16string& text) {
    if (text.empty() || text.size() > 10) return 0;
    unsigned long long value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return 0;
        value = value * 10 + unsigned(c - u'0');
    }
    return value > 0xFFFFFFFFull ? 0 : (unsigned long)value;
}

}  // namespace

RunOptions parseRunOptions(const std::vector<std::u16string>& args) {
    RunOptions options;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (equalsIgnoringCase(arg, u"--mcp-stdio")) {
            options.mcpStdio = true;
            continue;
        }
        if (equalsIgnoringCase(arg, u"--check-playbooks")) {
            // Everything after it is a file name, even one that looks like a switch.
            options.checkPlaybooks = true;
            options.playbookFiles.assign(args.begin() + std::ptrdiff_t(i) + 1, args.end());
            break;
        }
        if (equalsIgnoringCase(arg, u"--send-ctrl-c")) {
            options.sendCtrlC = true;
            if (i + 1 < args.size()) options.ctrlCTarget = processIdArgument(args[++i]);
            continue;
        }
        if (equalsIgnoringCase(arg, u"--selftest-semantic-live")) {
            // The value is captured but the next argument is still examined as a switch.
            if (i + 1 < args.size()) options.semanticLiveValue = args[i + 1];
            continue;
        }
        for (int s = 0; s < kSuiteCount; ++s) {
            if (equalsIgnoringCase(arg, kSuiteSwitches[s])) options.suiteRequested[s] = true;
        }
    }
    return options;
}

RunChoice chooseRunMode(const RunOptions& options) {
    RunChoice choice;
    // A helper started by a terminal: never a window, whatever else is given.
    if (options.sendCtrlC) {
        choice.mode = RunMode::SendCtrlC;
        choice.ctrlCTarget = options.ctrlCTarget;
        return choice;
    }
    if (options.mcpStdio) {
        choice.mode = RunMode::McpServer;
        return choice;
    }
    if (options.checkPlaybooks) {
        choice.mode = RunMode::CheckPlaybooks;
        choice.playbookFiles = options.playbookFiles;
        return choice;
    }
    for (int s = 0; s < kSuiteCount; ++s) {
        if (options.suiteRequested[s]) {
            choice.mode = RunMode::SelfTest;
            choice.hasSuite = true;
            choice.suite = SelfTestSuite(s);
            return choice;
        }
    }
    if (!options.semanticLiveValue.empty()) choice.mode = RunMode::SelfTest;
    return choice;
}

int runPlaybookCheck(const std::vector<std::u16string>& files,
                     const std::function<void(const std::u16string&)>& print) {
    const bool english = !platform::systemLanguageIsChinese();
    if (files.empty()) {
        print(english ? u"usage: toolkeep --check-playbooks FILE..." : u"用法: toolkeep --check-playbooks 文件...");
        return 1;
    }
    return checkPlaybookFiles(files, english, print);
}
