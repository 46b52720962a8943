// The names of the UI texts: each is the id of a row of the text table
// (ui/ui_text.cpp), which holds the words in Chinese and English. Lower layers
// name the texts they ask their caller for by these. Ids never change: saved
// files and tests may rely on them. Rows no screen shows have no name.
#pragma once

// The window, its menus and settings.
constexpr int kTextAppName = 0;
constexpr int kTextAdministratorSuffix = 1;  // after the title when elevated
constexpr int kTextSearchCue = 2;  // the search box's grey hint
constexpr int kTextMenuSettings = 3;
constexpr int kTextLaunchOnSingleClick = 4;
constexpr int kTextLaunchOnDoubleClick = 5;
constexpr int kTextDefaultShellCmd = 6;
constexpr int kTextDefaultShellPowerShell = 7;
constexpr int kTextAppearance = 8;
constexpr int kTextThemeSystem = 9;
constexpr int kTextThemeLight = 10;
constexpr int kTextThemeDark = 11;
constexpr int kTextTerminalFontSize = 12;
constexpr int kTextShowToolFileNames = 13;
constexpr int kTextTerminalQuickEdit = 14;
constexpr int kTextRestartAsAdministrator = 15;
constexpr int kTextMenuTools = 16;
constexpr int kTextAddCustomToolMenu = 17;
constexpr int kTextRemoveSelectedCustomTool = 18;
constexpr int kTextMenuTerminal = 19;
constexpr int kTextNewCmdTerminal = 20;
constexpr int kTextNewPowerShellTerminal = 21;
constexpr int kTextNewNamedTerminal = 22;
constexpr int kTextRenameTerminal = 23;
constexpr int kTextCloseTerminal = 24;
// The terminal's own menu and dialogs.
constexpr int kTextFindMenu = 25;  // "Find…"
constexpr int kTextSaveOutput = 26;
constexpr int kTextFindTitle = 27;
constexpr int kTextFindPrompt = 28;
constexpr int kTextReverseSearchTitle = 29;
constexpr int kTextReverseSearchPrompt = 30;
constexpr int kTextTerminalNamePrompt = 31;
constexpr int kTextTerminalNameTitle = 32;
constexpr int kTextOk = 33;
constexpr int kTextCancel = 34;
constexpr int kTextActivityTab = 35;
constexpr int kTextAssistantTab = 37;
constexpr int kTextOfflineEditionNote = 55;
// Help, About and language.
constexpr int kTextMenuHelp = 75;
constexpr int kTextHelpPage = 76;
constexpr int kTextAbout = 77;
constexpr int kTextLanguage = 78;
constexpr int kTextChinese = 79;
constexpr int kTextEnglish = 80;
// A tool's context menu and what its commands report.
constexpr int kTextLaunch = 82;
constexpr int kTextRunAsAdministrator = 83;
constexpr int kTextOpenFileLocation = 84;
constexpr int kTextRemove = 85;
constexpr int kTextAddToFavorites = 86;
constexpr int kTextRemoveFromFavorites = 87;
constexpr int kTextOpenDownloadPage = 88;
constexpr int kTextNotInstalled = 89;  // after an external tool's name
constexpr int kTextCopy = 90;
constexpr int kTextPaste = 91;
constexpr int kTextSelectAll = 92;
constexpr int kTextAddToDesktop = 93;
constexpr int kTextPinToTaskbar = 94;
constexpr int kTextShortcutCreated = 95;
constexpr int kTextShortcutFailed = 96;
constexpr int kTextPinned = 97;
constexpr int kTextPinBlocked = 98;  // the system refuses: pin it by hand
// The Help and About pages.
constexpr int kTextToolDataVersion = 102;
constexpr int kTextSearchDataVersion = 103;
constexpr int kTextExternalDataVersion = 104;
constexpr int kTextPlaybookDataVersion = 105;
constexpr int kTextHelpDocument = 106;
constexpr int kTextVersion = 108;
constexpr int kTextInternalBuild = 109;
constexpr int kTextAboutSummary = 110;
constexpr int kTextAboutPlatform = 111;
constexpr int kTextAboutMaker = 112;
constexpr int kTextAboutReleases = 113;
constexpr int kTextHighlights = 114;
constexpr int kTextHighlightTools = 115;
constexpr int kTextHighlightTerminals = 116;
constexpr int kTextHighlightAssistant = 117;
constexpr int kTextAboutPrivacy = 118;
// Custom tools.
constexpr int kTextToolAdded = 119;  // Activity, before the name
constexpr int kTextToolRemoved = 120;  // Activity, before the name
constexpr int kTextChooseProgramTitle = 121;
constexpr int kTextExecutables = 122;  // the file picker's filter
constexpr int kTextAddCustomToolTitle = 123;
constexpr int kTextCustomToolNotSaved = 124;
constexpr int kTextFilePickerFailed = 125;  // error code
constexpr int kTextLaunchArgumentsTitle = 126;
constexpr int kTextLaunchArgumentsPrompt = 127;
// The tree's categories and segments.
constexpr int kTextCategoryFavorites = 128;
constexpr int kTextCategoryRecent = 129;
constexpr int kTextCategorySystem = 130;
constexpr int kTextCategoryNetwork = 131;
constexpr int kTextCategorySecurity = 132;
constexpr int kTextCategoryStorage = 133;
constexpr int kTextCategoryConfiguration = 134;
constexpr int kTextCategoryDiagnostics = 135;
constexpr int kTextCategoryHardware = 136;
constexpr int kTextCategoryApps = 137;
constexpr int kTextCategoryExternal = 138;
constexpr int kTextCategoryCustom = 139;
constexpr int kTextPlaybooks = 140;
// The playbook page: its buttons in slot order, then the step details.
constexpr int kTextWalkPrevious = 141;  // 141..145: one per button slot
constexpr int kTextWalkNext = 142;
constexpr int kTextWalkRunStep = 143;
constexpr int kTextWalkCopyCommand = 144;
constexpr int kTextWalkClose = 145;
constexpr int kTextStepTool = 147;
constexpr int kTextStepCommand = 148;
constexpr int kTextStepLink = 149;
constexpr int kTextStepDisabled = 151;
constexpr int kTextStepHint = 152;
constexpr int kTextCommandFilled = 153;  // Activity: filled into a terminal
constexpr int kTextWalkTip = 155;
constexpr int kTextToolNotFound = 156;  // before the tool's id
constexpr int kTextToolsSegment = 157;
constexpr int kTextResultsSegment = 158;
constexpr int kTextAllTools = 159;
constexpr int kTextAllPlaybooks = 160;
constexpr int kTextNoMatch = 161;
constexpr int kTextMcpHelp = 162;
constexpr int kTextMcpDocument = 163;
constexpr int kTextPlaybookTabPrefix = 164;
// Launching: the Activity lines.
constexpr int kTextLaunched = 165;
constexpr int kTextElevationCancelled = 166;
constexpr int kTextFailedTag = 167;  // "[Failed]"
constexpr int kTextTargetNotFound = 168;
constexpr int kTextErrorWord = 169;
constexpr int kTextBuiltInData = 170;
constexpr int kTextExternalData = 171;
// The Assistant.
constexpr int kTextAssistantIntro = 172;
constexpr int kTextAssistantCue = 174;
constexpr int kTextNoMatchingTools = 177;
constexpr int kTextRelevantTools = 178;
constexpr int kTextRelatedPlaybooks = 179;
constexpr int kTextListedInResults = 180;
// Reports about the user's files; each "%s" is filled in order by uiTextWith.
constexpr int kTextFileUnreadable = 202;  // file, error code
constexpr int kTextFileBrokenKept = 203;  // file, copy
constexpr int kTextFileBrokenNotKept = 204;  // file
constexpr int kTextSettingsNotWritten = 205;  // file
constexpr int kTextSettingsNotRead = 206;  // file
constexpr int kTextCustomToolNotRemoved = 207;  // tool name, file
constexpr int kTextCustomToolsNotRead = 208;  // file
constexpr int kTextOutputNotSaved = 209;  // file
// The running-command features of the terminals.
constexpr int kTextStopCommand = 212;  // "Stop running command"
constexpr int kTextRestartShell = 213;  // "Restart shell"
constexpr int kTextRunningPrefix = 214;  // "Running: "
constexpr int kTextRunningSuffix = 215;  // " (Ctrl+Break to stop)"
constexpr int kTextStopped = 216;  // Activity: "Stopped"
constexpr int kTextNothingToStop = 217;  // question: restart the shell instead?
constexpr int kTextShellRestarted = 218;  // transcript marker
constexpr int kTextCloseRunningTerminal = 219;  // question before closing a busy tab
constexpr int kTextCloseRunningWindow = 220;  // question before closing the window
constexpr int kTextCloseQuestion = 221;  // "Closing ends them ... Close anyway?"
constexpr int kTextShellRestartedActivity = 222;  // Activity: "Shell restarted"
constexpr int kTextRestartQuestion = 223;  // "Restart this terminal's shell? ..."
constexpr int kTextClearHistory = 224;  // "Clear command history"
constexpr int kTextClearHistoryQuestion = 225;
constexpr int kTextHistoryCleared = 226;  // Activity
constexpr int kTextHistoryNotCleared = 227;  // Activity, before the file names
// The session report: the menu item, its outcome and the report's own words.
constexpr int kTextSaveSessionReport = 228;
constexpr int kTextReportSaved = 229;  // file
constexpr int kTextReportNotSaved = 230;  // file
constexpr int kTextReportTitle = 231;  // 231..259: the report's own words
constexpr int kTextReportHtmlFiles = 260;
constexpr int kTextReportTextFiles = 261;
constexpr int kTextReportSaving = 262;
// Questions before a custom tool is added twice or removed.
constexpr int kTextCustomToolAddAgain = 263;  // tool name
constexpr int kTextRemoveCustomToolTitle = 264;
constexpr int kTextRemoveCustomToolAsk = 265;  // tool name
constexpr int kTextToolNotHere = 266;  // after a playbook step's tool name
// Menu items with an access key whose words also show without it elsewhere.
constexpr int kTextHelpMenuItem = 267;
constexpr int kTextMcpMenuItem = 268;
constexpr int kTextAboutMenuItem = 269;
constexpr int kTextStopCommandMenuItem = 270;
constexpr int kTextSaveReportMenuItem = 271;
// Keeping the user's files whole.
constexpr int kTextHistoryNotStored = 272;  // file
constexpr int kTextWaitingForReport = 273;  // status bar, while the window waits to close
constexpr int kTextCloseWithoutReport = 274;  // question
constexpr int kTextPathTooLong = 275;
constexpr int kTextDuplicatePlaybook = 276;  // playbook id
constexpr int kTextDuplicateStep = 277;  // playbook id, step id
constexpr int kTextHistoryTornKept = 278;  // file, copy
constexpr int kTextWaitingForInput = 279;  // status bar: a command waits for what is typed
constexpr int kTextShellEnded = 280;  // transcript marker; exit code
constexpr int kTextFindNone = 281;  // status bar; the text looked for
// The tool menu where the system keeps taskbar pins to the user.
constexpr int kTextAddToStartMenu = 282;
constexpr int kTextStartMenuShortcutCreated = 283;
// The terminal on a pipe: what a silent wait means, and a failed job set-up.
constexpr int kTextWaitsForEndOfInput = 284;  // program name; what to use instead
constexpr int kTextNeedsConsole = 285;  // program name; what to use instead
constexpr int kTextJobSetupFailed = 286;  // error code
constexpr int kTextStopWindowedAsk = 287;  // program names
constexpr int kTextCannotStopElevated = 288;  // program
constexpr int kTextTerminalStartFailed = 289;
constexpr int kTextReportReading = 290;  // 290..294: a step's reading, its three outcomes, the values taken
constexpr int kTextReportQuestions = 295;  // 295..298: the Assistant's questions, tool launches and their outcomes
constexpr int kTextBrokenReading = 299;  // playbook id, step id, the problem
// The walk reading a step's output: where a value came from, the branch it suggests, a refused fill.
constexpr int kTextCapturedFromStep = 300;  // name, value, step number
constexpr int kTextCapturedFromPlaybook = 301;  // name, value, playbook id, step id
constexpr int kTextSuggestedBranch = 302;  // branch label
constexpr int kTextFillRefused = 303;  // the allowlist's reason
constexpr int kTextFillsAs = 304;  // the command with the values filled in
// Playbooks from the team's and the user's folders: their marks and the problems of their files.
constexpr int kTextOriginTeam = 305;  // after a playbook's title
constexpr int kTextOriginUser = 306;
constexpr int kTextPlaybookFileProblems = 307;  // file, the first problem, how many more
constexpr int kTextPlaybookFileProblem = 308;  // file, the problem
// The Assistant's answer when no tool matches: the general tools, then every playbook.
constexpr int kTextNoExactMatch = 309;
constexpr int kTextEveryPlaybook = 310;
constexpr int kTextOpenFromPlaybooks = 311;
constexpr int kTextToolPackUnusable = 312;  // the data folder's copy the embedded one replaced
