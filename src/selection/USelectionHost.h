#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractItemView;
class QKeyEvent;
class QModelIndex;
class QWidget;
class TfrmGoTo;
struct TChannelTree;

// What the selection windows need from the main window. The main window fills it once;
// without it the windows jump and refresh on their own, so they also work on their own.
struct TSelectionHost {
    // The main window's key handler; true when it used the key.
    std::function<bool(QKeyEvent*)> FormKeyDown;
    // Refreshes the channel information pane and the GoTo window.
    std::function<void()> UpdateChannelInfoAndWindows;
    // One of the twelve jumps on the active tree.
    std::function<void(int kind)> SelectNextMatching;
};

void SetSelectionHost(TSelectionHost host);
const TSelectionHost& SelectionHost();

// Calls the host, or does the windows' own version of each when the host has none.
bool HostFormKeyDown(QKeyEvent* event);
void HostUpdateChannelInfoAndWindows();
void HostSelectNextMatching(int kind);

// The main window's GoTo window; UpdateGoToWindow lets it re-evaluate its buttons when it
// is visible.
void SetMainGoToWindow(TfrmGoTo* window);
TfrmGoTo* MainGoToWindow();
void UpdateGoToWindow();

// The view that shows a tree (the one whose selection the tree uses), or none.
QAbstractItemView* ViewOfTree(const TChannelTree& tree);
// Selects the node, makes it the current one and scrolls it into view.
void SelectAndShow(const TChannelTree& tree, const QModelIndex& node);
// Scrolls the tree's selected node into view.
void MakeSelectedVisible(const TChannelTree& tree);

// Lets a window see every key pressed in it before its controls do, once per key press.
// A key the focused control does not take travels on to the control's parents as the same
// event object, and Qt builds each new press in the same place, so a press is told from a
// travelling one by its path: the window's own handle or a fresh delivery starts a press, and
// only the next step up from the receiver it last reached continues it.
class TKeyPreview : public QObject {
    Q_OBJECT

public:
    using THandler = std::function<bool(QKeyEvent*)>;
    TKeyPreview(QWidget* window, THandler handler);
    ~TKeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the press under way reaches its next receiver.
    bool IsTravelling(const QObject* receiver, const QEvent* event) const;
    bool Preview(QObject* receiver, QEvent* event);

    QWidget* FWindow;
    THandler FHandler;
    // The press under way and the last receiver it reached; no press between deliveries.
    const QEvent* FPress = nullptr;
    QPointer<QObject> FReceiver;
};
