#pragma once

#include "help/UMyHelp.h"

#include <QWidget>

class QPushButton;
class QTextEdit;
class TSizeGripPanel;

// A help window: one RTF page, read-only, with OK and Copy below it. It is not modal; it
// frees itself when closed and leaves its slot in the help windows manager.
class TfrmHelp : public QWidget {
    Q_OBJECT

public:
    explicit TfrmHelp(QWidget* parent = nullptr);
    ~TfrmHelp() override;

    // Sets the page number, appends "-" and the name to the caption and finds the page's file.
    void SetHelpName(const QString& HName, int HID);
    // Loads the page's file and shows the window; raises an error when the file cannot be read.
    void ShowPage();

    const QString& FileName() const { return FFileName; }
    int HID() const { return FHID; }
    QTextEdit* reHelp() const { return FreHelp; }

    // Selects the whole text and copies it to the clipboard.
    void CopyAll();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString FFileName;
    int FHID = -1;
    QTextEdit* FreHelp = nullptr;
    TSizeGripPanel* FPanel = nullptr;
    QPushButton* FbtnOK = nullptr;
    QPushButton* FbtnCopy = nullptr;
};
