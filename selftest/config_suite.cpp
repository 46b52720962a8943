// Round-trips a settings record with non-default values through the
// serializer and the parser; writes no config.json.
#include "data/settings.h"
#include "data/text.h"
#include "selftest/harness.h"
#include "selftest/suites.h"

int runConfigSuite() {
    SuiteLog log = openSuiteLog(u"toolkeep-config-selftest.log");
    writeSuiteLine(log, u"== 配置 JSON 往返自检 ==");

    Settings original;
    original.clickBehavior = ClickBehavior::Double;
    original.defaultShell = ShellKind::Cmd;
    original.theme = ThemeMode::Dark;
    original.fontSize = 14;
    original.language = Language::EnUS;
    original.leftWidth = 481;
    original.showFileName = false;
    original.quickEdit = true;
    original.aiEnabled = true;
    original.aiBaseUrl = u"https://ai.example.com/v1";
    original.aiModel = u"M-x";
    original.aiKeyEnc = u"cGxhY2Vob2xkZXI=";
    original.localModel = u"local-model-q4.gguf";
    original.localEnabled = false;
    original.favorites = {u"tools.a", u"tools.b"};
    original.recents = {u"tools.x", u"tools.y"};

    Settings back = parseSettings(utf8ToWide(serializeSettings(original)));

    suiteCheck(log,
               back.clickBehavior == original.clickBehavior && back.theme == original.theme &&
                   back.fontSize == original.fontSize && back.language == original.language &&
                   back.leftWidth == original.leftWidth && back.showFileName == original.showFileName &&
                   back.quickEdit == original.quickEdit,
               u"基本字段往返");
    suiteCheck(log,
               back.aiEnabled == original.aiEnabled && back.aiBaseUrl == original.aiBaseUrl &&
                   back.aiModel == original.aiModel && back.aiKeyEnc == original.aiKeyEnc,
               u"在线 AI 字段往返");
    suiteCheck(log, back.localModel == original.localModel && back.localEnabled == original.localEnabled,
               u"本地模型字段往返");
    suiteCheck(log, back.favorites == original.favorites, u"收藏列表往返");
    suiteCheck(log, back.recents == original.recents, u"最近列表往返");
    return finishSuite(log);
}
