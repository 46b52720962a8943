#include "ui/help_pages.h"

#include "data/data_pack.h"
#include "resources/version.h"
#include "ui/layout.h"
#include "ui/main_state.h"
#include "ui/menus.h"
#include "ui/pages.h"
#include "ui/ui_text.h"

namespace {

int helpTitle(const MainState& state) { return state.helpShowsMcp ? kTextMcpHelp : kTextHelpPage; }

bool createPage(MainState& state, LogPane& pane) {
    if (!createLogPane(pane, state.window, state.instance, state.settings.fontSize)) return false;
    setPaneColors(pane, state.theme.colors.terminalBackground, state.theme.colors.terminalText);
    return true;
}

}  // namespace

void fillHelpPage(MainState& state) {
    LogPane& pane = state.help;
    clearPane(pane);
    appendLine(pane, uiText(state.helpShowsMcp ? kTextMcpDocument : kTextHelpDocument), pane.textColor);
    scrollPaneToTop(pane);
}

void showHelpPage(MainState& state) {
    if (hasPage(state.pages, PageKind::Help)) {
        selectTab(state, pageIndex(state.pages, PageKind::Help));
        return;
    }
    if (!createPage(state, state.help)) return;
    const int index = addPage(state.pages, {PageKind::Help, uiText(helpTitle(state)), state.help.window});
    fillHelpPage(state);
    selectTab(state, index);
    layoutRightPane(state);
    buildMenuBar(state);
}

void closeHelpPage(MainState& state) {
    if (!hasPage(state.pages, PageKind::Help)) return;
    removePage(state.pages, pageIndex(state.pages, PageKind::Help));
    destroyLogPane(state.help);
    state.currentTab = -1;
    selectFirstTerminalOrActivity(state);
    layoutRightPane(state);
    buildMenuBar(state);
}

void toggleHelp(MainState& state, bool showMcp) {
    const int help = pageIndex(state.pages, PageKind::Help);
    if (help >= 0 && state.helpShowsMcp == showMcp) {
        closeHelpPage(state);
        return;
    }
    state.helpShowsMcp = showMcp;
    if (help < 0) {
        showHelpPage(state);
        return;
    }
    setPageTitle(state.pages, help, uiText(helpTitle(state)));
    fillHelpPage(state);
    selectTab(state, help);
    buildMenuBar(state);
}

void toggleAbout(MainState& state) {
    if (hasPage(state.pages, PageKind::About)) {
        removePage(state.pages, pageIndex(state.pages, PageKind::About));
        destroyLogPane(state.about);
        state.currentTab = -1;
        selectFirstTerminalOrActivity(state);
    } else if (createPage(state, state.about)) {
        const int index = addPage(state.pages, {PageKind::About, uiText(kTextAbout), state.about.window});
        fillAboutPage(state);
        selectTab(state, index);
    }
    layoutRightPane(state);
    buildMenuBar(state);
}

void fillAboutPage(MainState& state) {
    LogPane& pane = state.about;
    if (!pane.window) return;
    clearPane(pane);
    const COLORREF text = pane.textColor;
    // No box frame: CJK text is wider than a monospaced cell, so no right edge would line up.
    auto line = [&](const std::u16string& content, COLORREF color) { appendLine(pane, content, color); };
    auto gap = [&] { appendLine(pane, u" ", text); };
    line(uiText(kTextAppName) + u"  " + uiText(kTextVersion) + u" " TOOLKEEP_VERSION_TEXT " " +
             uiText(kTextInternalBuild),
         kActionBlue);
    line(uiText(kTextAboutMaker), text);
    line(uiText(kTextAboutReleases), kHintGreen);
    gap();
    line(uiText(kTextAboutSummary), text);
    line(uiText(kTextAboutPlatform), text);
    gap();
    line(uiText(kTextToolDataVersion) + u"  " + packDataVersion(kBuiltinToolsPack) + u"  " +
             uiText(state.catalogFromEmbedded ? kTextBuiltInData : kTextExternalData),
         kHintGreen);
    line(uiText(kTextSearchDataVersion) + u"  0.0.1", kHintGreen);
    line(uiText(kTextExternalDataVersion) + u"  " + packDataVersion(kExternalToolsPack), kHintGreen);
    line(uiText(kTextPlaybookDataVersion) + u"  " + packDataVersion(kPlaybooksPack), kHintGreen);
    gap();
    line(uiText(kTextHighlights), kActionBlue);
    for (int id : {kTextHighlightTools, kTextHighlightTerminals, kTextHighlightAssistant})
        line(u"  " + uiText(id), text);
    gap();
    line(uiText(kTextAboutPrivacy), text);
    scrollPaneToTop(pane);
}

void relabelHelpPages(MainState& state) {
    PageList& pages = state.pages;
    if (hasPage(pages, PageKind::Help)) {
        setPageTitle(pages, pageIndex(pages, PageKind::Help), uiText(helpTitle(state)));
        fillHelpPage(state);
    }
    if (hasPage(pages, PageKind::About)) {
        setPageTitle(pages, pageIndex(pages, PageKind::About), uiText(kTextAbout));
        fillAboutPage(state);
    }
}
