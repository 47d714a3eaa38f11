#pragma once

#include <QString>

// What a command that runs without a window asks or tells the user. The commands of the
// channel document hold one, so that they build and run with Qt Core alone; the program
// answers it with message boxes and file dialogs (TDialogPrompt in ui/UMessages.h).
class TUserPrompt {
public:
    TUserPrompt() = default;
    virtual ~TUserPrompt();
    TUserPrompt(const TUserPrompt&) = delete;
    TUserPrompt& operator=(const TUserPrompt&) = delete;

    virtual void ShowInfoMessage(const QString& text) = 0;
    virtual void ShowWarningMessage(const QString& text) = 0;
    virtual void ShowErrorMessage(const QString& text) = 0;
    // A question with Yes the default; true for Yes.
    virtual bool AskConfirmation(const QString& text) = 0;
    // A warning with Yes and No where No is the default (unsaved changes, overwrite); true
    // for Yes.
    virtual bool AskWarningQuestion(const QString& text) = 0;
    // The chosen path; empty when the user cancelled.
    virtual QString AskOpenFileName(const QString& title, const QString& folder,
                                    const QString& filter) = 0;
    virtual QString AskSaveFileName(const QString& title, const QString& folder,
                                    const QString& filter) = 0;
};
