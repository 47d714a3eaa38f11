#include "ui/UMessages.h"

#include "platform/UOrvaneError.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <deque>

namespace {

struct TSeamState {
    bool Installed = false;
    std::deque<bool> Answers;
    std::deque<QString> FileNames;
    std::vector<TShownMessage> Shown;
    int Unanswered = 0;
};

TSeamState& Seam() {
    static TSeamState state;
    return state;
}

QString CaptionOf(TMessageKind kind) {
    switch (kind) {
    case TMessageKind::Information:
        return QStringLiteral("Information");
    case TMessageKind::Warning:
    case TMessageKind::WarningQuestion:
        return QStringLiteral("Warning");
    case TMessageKind::Error:
        return QStringLiteral("Error");
    case TMessageKind::Confirmation:
        return QStringLiteral("Confirm");
    }
    return QString();
}

QMessageBox::Icon IconOf(TMessageKind kind) {
    switch (kind) {
    case TMessageKind::Information:
        return QMessageBox::Information;
    case TMessageKind::Warning:
    case TMessageKind::WarningQuestion:
        return QMessageBox::Warning;
    case TMessageKind::Error:
        return QMessageBox::Critical;
    case TMessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Texts use CR LF between lines; the dialog wants plain line feeds.
QString ForDisplay(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

bool ShowBox(TMessageKind kind, const QString& text) {
    const bool question =
        kind == TMessageKind::Confirmation || kind == TMessageKind::WarningQuestion;
    if (Seam().Installed) {
        TDialogSeam::Record(kind, text);
        return question ? TDialogSeam::NextAnswer() : true;
    }
    QMessageBox box(IconOf(kind), CaptionOf(kind), ForDisplay(text), QMessageBox::NoButton,
                    nullptr);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!question) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return true;
    }
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(kind == TMessageKind::Confirmation ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace

void ShowInfoMessage(const QString& text) {
    ShowBox(TMessageKind::Information, text);
}
void ShowWarningMessage(const QString& text) {
    ShowBox(TMessageKind::Warning, text);
}
void ShowErrorMessage(const QString& text) {
    ShowBox(TMessageKind::Error, text);
}
bool AskConfirmation(const QString& text) {
    return ShowBox(TMessageKind::Confirmation, text);
}
bool AskWarningQuestion(const QString& text) {
    return ShowBox(TMessageKind::WarningQuestion, text);
}

QString AskOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                        const QString& filter) {
    if (Seam().Installed)
        return TDialogSeam::NextFileName();
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // A name typed without an extension means the channel list of that name, as when saving.
    dialog.setDefaultSuffix(QStringLiteral("dat"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString AskSaveFileName(QWidget* parent, const QString& title, const QString& folder,
                        const QString& filter, const QString& suggestedName) {
    if (Seam().Installed)
        return TDialogSeam::NextFileName();
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QStringLiteral("dat"));
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString AskFolder(QWidget* parent, const QString& title) {
    if (Seam().Installed)
        return TDialogSeam::NextFileName();
    return QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly);
}

bool RunGuarded(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const EOrvaneError& e) {
        ShowErrorMessage(e.Message());
    } catch (const std::exception& e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    }
    return false;
}

void TDialogPrompt::ShowInfoMessage(const QString& text) {
    ::ShowInfoMessage(text);
}
void TDialogPrompt::ShowWarningMessage(const QString& text) {
    ::ShowWarningMessage(text);
}
void TDialogPrompt::ShowErrorMessage(const QString& text) {
    ::ShowErrorMessage(text);
}
bool TDialogPrompt::AskConfirmation(const QString& text) {
    return ::AskConfirmation(text);
}
bool TDialogPrompt::AskWarningQuestion(const QString& text) {
    return ::AskWarningQuestion(text);
}
QString TDialogPrompt::AskOpenFileName(const QString& title, const QString& folder,
                                       const QString& filter) {
    return ::AskOpenFileName(FParent, title, folder, filter);
}
QString TDialogPrompt::AskSaveFileName(const QString& title, const QString& folder,
                                       const QString& filter) {
    return ::AskSaveFileName(FParent, title, folder, filter);
}

void TDialogSeam::Install() {
    Seam() = TSeamState();
    Seam().Installed = true;
}

void TDialogSeam::Uninstall() {
    Seam() = TSeamState();
}
bool TDialogSeam::Installed() {
    return Seam().Installed;
}
void TDialogSeam::AddAnswer(bool yes) {
    Seam().Answers.push_back(yes);
}
void TDialogSeam::AddFileName(const QString& fileName) {
    Seam().FileNames.push_back(fileName);
}
const std::vector<TShownMessage>& TDialogSeam::Shown() {
    return Seam().Shown;
}

QStringList TDialogSeam::ShownTexts() {
    QStringList texts;
    for (const TShownMessage& m : Seam().Shown)
        texts << m.Text;
    return texts;
}

int TDialogSeam::UnansweredQuestions() {
    return Seam().Unanswered;
}
void TDialogSeam::ClearShown() {
    Seam().Shown.clear();
}

bool TDialogSeam::NextAnswer() {
    if (Seam().Answers.empty()) {
        ++Seam().Unanswered;
        return false;
    }
    const bool answer = Seam().Answers.front();
    Seam().Answers.pop_front();
    return answer;
}

QString TDialogSeam::NextFileName() {
    if (Seam().FileNames.empty()) {
        ++Seam().Unanswered;
        return QString();
    }
    QString name = Seam().FileNames.front();
    Seam().FileNames.pop_front();
    return name;
}

void TDialogSeam::Record(TMessageKind kind, const QString& text) {
    Seam().Shown.push_back({kind, text});
}
