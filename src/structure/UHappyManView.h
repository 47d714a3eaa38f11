#pragma once

#include "structure/UStructure.h"

#include <QAbstractListModel>
#include <QListView>

class THappyManDelegate;

// The reorder preview's lines as a list model: row n is line n of the text.
class THappyManModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void SetText(TStructureText text);
    const TStructureText& Text() const { return FText; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    TStructureText FText;
};

// A read-only view of the coloured preview text that only ever lays out and paints the lines
// in sight, so a list of 100,000 channels opens as fast as one of ten. The current line is
// the caret; lines are selected whole, with the mouse or Shift and the arrow keys, and
// Ctrl+C copies them.
class THappyManView : public QListView {
    Q_OBJECT

public:
    explicit THappyManView(QWidget* parent = nullptr);

    void SetText(TStructureText text);
    const TStructureText& Text() const { return FModel->Text(); }
    int LineCount() const { return FModel->rowCount(); }

    // Line of the caret, or -1 when there is none.
    int CaretLine() const;
    // Puts the caret at the start of the line with nothing selected and scrolls it into
    // sight.
    void PutCaretOnLine(int line);
    // The selected lines in text order, each ending with CR LF; the whole text when every
    // line is selected.
    QString SelectedText() const;
    void CopySelection() const;

    // The width the widest line needs, in pixels.
    int ContentWidth() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void MeasureLines(const TStructureText& text);

    THappyManModel* FModel = nullptr;
    THappyManDelegate* FDelegate = nullptr;
};
