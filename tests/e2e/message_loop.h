// Waiting for things while this thread's windows keep handling their messages.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

// Dispatches every message waiting for this thread.
void pumpMessages();
// Pumps until `done` holds or the time is up; false on time-out.
bool waitUntil(DWORD milliseconds, const std::function<bool()>& done);
bool processAlive(DWORD pid);
// How many times `what` stands in `text`, not overlapping.
size_t countOf(const std::u16string& text, const std::u16string& what);
// Characters as typed (WM_CHAR each), then Enter as a key press.
void typeText(HWND editor, const std::u16string& text);
void pressEnter(HWND editor);
void typeLine(HWND editor, const std::u16string& text);
// Presses the button of the next dialog or message box of this process with
// the caption (empty: any), from another thread.
std::thread answerQuestion(const std::u16string& caption, int button);
// One dialog of a run answered as a user would: found by its title, given its
// text (a file picker's name, else the input box's), its words kept in `shown`
// when asked, and closed with its button.
struct DialogStep {
    std::wstring title;
    int button;
    std::wstring text;
    std::wstring* shown = nullptr;
};
// Answers the steps in order from another thread; `answered` counts the
// dialogs closed, so a run that stopped early shows.
std::thread answerInOrder(std::vector<DialogStep> steps, int* answered);
// The character format of the first match of the word (case kept) in a rich
// edit from the given position on; the selection is put back. A word not
// found gives colour CLR_INVALID and an empty mask.
CHARFORMAT2W formatOfText(HWND control, const wchar_t* word, LONG from = 0);
// A file name in the temporary folder.
std::u16string tempPath(const std::u16string& name);
