// Storing an entered command in the history file without holding up the
// window: at once when no other window is writing it, else on a worker.
#include <windows.h>

#include <thread>

#include "data/files.h"
#include "terminal/command_history.h"
#include "terminal/terminal.h"

namespace {

void tellNotStored(HWND window, const std::u16string& path) {
    auto* where = new std::u16string(path);
    if (!window || !PostMessageW(window, kHistoryNotStoredMessage, 0, reinterpret_cast<LPARAM>(where))) delete where;
}

}  // namespace

void storeInHistoryFile(Terminal& t, const std::u16string& command) {
    const HWND window = t.editor ? GetParent(t.editor) : nullptr;
    switch (appendCommandHistory(t.historyPath, command, kLockMomentMs)) {
        case HistoryStore::Stored: return;
        case HistoryStore::Failed: tellNotStored(window, t.historyPath); return;
        case HistoryStore::Busy: break;
    }
    // Another window holds the file: wait for it where nobody waits on us.
    std::thread([window, path = t.historyPath, command] {
        if (appendCommandHistory(path, command, kLockWaitMs) != HistoryStore::Stored) tellNotStored(window, path);
    }).detach();
}
