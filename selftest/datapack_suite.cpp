// Drops a one-tool built-in pack into a temporary data directory, points
// TOOLKEEP_DATA_DIR at it, and checks that the loader prefers it and lets go again.
#include <algorithm>

#include "data/data_pack.h"
#include "data/files.h"
#include "platform/platform.h"
#include "selftest/harness.h"
#include "selftest/suites.h"

namespace {
const char kProbePack[] =
    "{\n"
    "  \"version\": \"1.0\",\n"
    "  \"dataVersion\": \"9.9.9\",\n"
    "  \"tools\": [\n"
    "    { \"id\": \"selftest.datapack\", \"name\": \"DataPackProbe\", \"type\": \"exe\", "
    "\"path\": \"C:\\\\Windows\\\\System32\\\\cmd.exe\", \"category\": \"system\" }\n"
    "  ]\n"
    "}\n";
}  // namespace

int runDatapackSuite() {
    SuiteLog log = openSuiteLog(u"toolkeep-datapack-selftest.log");
    writeSuiteLine(log, u"== 数据包热更新自检 ==");

    std::u16string dir = platform::tempDir() + u"wr-datapack-test";
    platform::createDirectories(dir);
    bool written = writeWholeFile(platform::joinPath(dir, u"builtin-tools.json"), kProbePack);
    suiteCheck(log, written, u"写入临时外部数据包");

    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    std::u16string version = packDataVersion(kBuiltinToolsPack);
    std::u16string source = builtinToolsSource();
    std::vector<ToolRecord> tools = loadBuiltinTools();
    suiteCheck(log, version == u"9.9.9", u"外部数据版本生效(9.9.9)");
    suiteCheck(log, source != kEmbeddedSourceLabel, u"外部数据来源被识别");
    bool probeLoaded =
        std::any_of(tools.begin(), tools.end(), [](const ToolRecord& tool) { return tool.id == u"selftest.datapack"; });
    suiteCheck(log, probeLoaded, u"外部工具被加载");

    platform::unsetEnv(u"TOOLKEEP_DATA_DIR");
    suiteCheck(log, builtinToolsSource() == kEmbeddedSourceLabel, u"还原后回到内置数据");

    std::vector<ToolRecord> external = loadExternalTools();
    bool allExternal = !external.empty() && std::all_of(external.begin(), external.end(), [](const ToolRecord& tool) {
        return tool.isExternal && tool.category == u"external";
    });
    suiteCheck(log, allExternal, u"外部工具数据加载(均标记 external)");
    return finishSuite(log);
}
