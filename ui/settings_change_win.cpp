#include "ui/settings_change.h"

#include "ui/activity.h"
#include "ui/main_state.h"
#include "ui/ui_text.h"

void changeSettings(MainState& state, const SettingsChange& change) {
    const SaveOutcome outcome = saveSettingsChange(state.settings, change, state.unsavedSettings);
    if (outcome == SaveOutcome::Saved) return;
    const int text = outcome == SaveOutcome::NotRead ? kTextSettingsNotRead : kTextSettingsNotWritten;
    reportActivity(state, uiTextWith(text, {settingsPath()}), kFailureRed);
}
