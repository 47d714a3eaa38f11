#pragma once

#include <QTreeView>

// The structure pane: roots, their categories and their channels. Its nodes carry no tick
// boxes, yet it is one of the channel trees: Space and Shift+Up/Down tick the channel of the
// selected channel node in the main tree, Shift+Up/Down the node being left.
class TStructureTreeView : public QTreeView {
    Q_OBJECT

public:
    using QTreeView::QTreeView;

    // The main tree's node of the channel that a structure node stands for; none for a root
    // or a category.
    QModelIndex MainNodeOf(const QModelIndex& node) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
};
