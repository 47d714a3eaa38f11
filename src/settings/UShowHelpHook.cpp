#include "settings/UShowHelpHook.h"

std::function<void(int)> ShowHelpPageHook;

void CallShowHelpPage(int page) {
    if (ShowHelpPageHook)
        ShowHelpPageHook(page);
}
