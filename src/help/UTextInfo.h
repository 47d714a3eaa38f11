#pragma once

#include <QColor>
#include <QDialog>

class QPushButton;
class QTextEdit;
class TSizeGripPanel;

// A modal text window whose content its caller writes run by run ("Information..." fills it
// with the summary of the channel list). The caller frees it after it closes.
class TfrmInfo : public QDialog {
    Q_OBJECT

public:
    explicit TfrmInfo(QWidget* parent = nullptr);

    QTextEdit* reInfo() const { return FreInfo; }

    // Sets the tab stops of the text, in points from the left edge.
    void SetTabStops(const QList<qreal>& points);
    // Appends a run at the end in the given colour and weight. CR LF (or LF alone) starts a
    // new paragraph; tabs stay tabs.
    void AddText(const QString& text, const QColor& color = Qt::black, bool bold = false);
    // The text as plain text, paragraphs separated by line feeds.
    QString PlainText() const;

    // Selects the whole text and copies it to the clipboard; the selection stays.
    void CopyAll();

private:
    QTextEdit* FreInfo = nullptr;
    TSizeGripPanel* FPanel = nullptr;
    QPushButton* FbtnOK = nullptr;
    QPushButton* FbtnCopy = nullptr;
};
