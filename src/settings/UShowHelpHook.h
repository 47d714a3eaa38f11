#pragma once

#include <functional>

// Help pages asked for by the settings dialogs.
inline constexpr int HelpPageCodePage = 1;
inline constexpr int HelpPageSettings = 4;

// Opens a help page by its number. The dialogs of this area do not know the help windows;
// the main window installs the function that opens them. Empty: Help does nothing.
extern std::function<void(int)> ShowHelpPageHook;

// Calls the hook when one is installed.
void CallShowHelpPage(int page);
