#pragma once

#include "ui/UUserPrompt.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

// Every message box and file dialog of the program goes through these functions, so that a
// test can answer them (see TDialogSeam) and run a whole command headless.

enum class TMessageKind {
    Information,     // "Information", one OK button
    Warning,         // "Warning", one OK button
    Error,           // "Error", one OK button
    Confirmation,    // "Confirm", "&Yes" / "&No", Yes the default
    WarningQuestion, // "Warning", Yes / No, No the default (unsaved changes, overwrite)
};

void ShowInfoMessage(const QString& text);
void ShowWarningMessage(const QString& text);
void ShowErrorMessage(const QString& text);
// True when the user answers "&Yes".
bool AskConfirmation(const QString& text);
// A warning box with Yes and No where No is the default; true for Yes.
bool AskWarningQuestion(const QString& text);

// File dialogs: an empty result means the user cancelled.
QString AskOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                        const QString& filter);
QString AskSaveFileName(QWidget* parent, const QString& title, const QString& folder,
                        const QString& filter, const QString& suggestedName = QString());
QString AskFolder(QWidget* parent, const QString& title);

// Runs a command and shows any error it raises in an error box, as the application's default
// handler would; the program goes on. Returns false when the command raised an error.
bool RunGuarded(const std::function<void()>& command);

// The prompt of the windowless commands, answered by the functions above (and so by the
// test seam). File dialogs open over the parent given, if any.
class TDialogPrompt final : public TUserPrompt {
public:
    explicit TDialogPrompt(QWidget* parent = nullptr) : FParent(parent) {}

    void ShowInfoMessage(const QString& text) override;
    void ShowWarningMessage(const QString& text) override;
    void ShowErrorMessage(const QString& text) override;
    bool AskConfirmation(const QString& text) override;
    bool AskWarningQuestion(const QString& text) override;
    QString AskOpenFileName(const QString& title, const QString& folder,
                            const QString& filter) override;
    QString AskSaveFileName(const QString& title, const QString& folder,
                            const QString& filter) override;

private:
    QWidget* FParent;
};

// The test seam. While installed, no dialog is shown: every message is recorded and every
// question takes the next scripted answer (false / empty when none is left, which is also
// recorded so that a test can see an unexpected question).
struct TShownMessage {
    TMessageKind Kind;
    QString Text;
};

class TDialogSeam {
public:
    static void Install();
    static void Uninstall();
    static bool Installed();

    static void AddAnswer(bool yes);
    static void AddFileName(const QString& fileName);
    static const std::vector<TShownMessage>& Shown();
    static QStringList ShownTexts();
    static int UnansweredQuestions();
    static void ClearShown();
    // Called by the seam's own routines.
    static bool NextAnswer();
    static QString NextFileName();
    static void Record(TMessageKind kind, const QString& text);
};
