#include "selection/USelectionHost.h"

#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "selection/UGoTo.h"
#include "selection/UJumps.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QWindow>

namespace {

TSelectionHost& Host() {
    static TSelectionHost host;
    return host;
}

QPointer<TfrmGoTo>& GoToWindow() {
    static QPointer<TfrmGoTo> window;
    return window;
}

} // namespace

void SetSelectionHost(TSelectionHost host) {
    Host() = std::move(host);
}

const TSelectionHost& SelectionHost() {
    return Host();
}

bool HostFormKeyDown(QKeyEvent* event) {
    if (Host().FormKeyDown)
        return Host().FormKeyDown(event);
    // Without a main window the jump keys are the only keys a window passes on.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier && modifiers != Qt::ControlModifier)
        return false;
    const int key = event->key();
    if (key < Qt::Key_F3 || key > Qt::Key_F8)
        return false;
    HostSelectNextMatching((key - Qt::Key_F3) + (modifiers == Qt::ControlModifier ? 6 : 0));
    return true;
}

void HostUpdateChannelInfoAndWindows() {
    if (Host().UpdateChannelInfoAndWindows)
        Host().UpdateChannelInfoAndWindows();
    else
        UpdateGoToWindow();
}

void HostSelectNextMatching(int kind) {
    if (Host().SelectNextMatching) {
        Host().SelectNextMatching(kind);
        return;
    }
    const TChannelTree& tree = ActiveTreeView();
    if (!tree.IsValid())
        return;
    const QModelIndex selected = tree.SelectedNode();
    if (!selected.isValid())
        return;
    const int row = FindNextMatching(*tree.Model, tree.Model->GetActualChannelNo(selected), kind);
    if (row < 0)
        return;
    SelectAndShow(tree, tree.Model->NodeIndex(row));
    HostUpdateChannelInfoAndWindows();
}

void SetMainGoToWindow(TfrmGoTo* window) {
    GoToWindow() = window;
}

TfrmGoTo* MainGoToWindow() {
    return GoToWindow();
}

void UpdateGoToWindow() {
    if (TfrmGoTo* window = GoToWindow(); window && window->isVisible())
        window->SetEnabledControls();
}

QAbstractItemView* ViewOfTree(const TChannelTree& tree) {
    if (!tree.Selection)
        return nullptr;
    // Only a few hundred widgets exist, and this runs once per jump, not per channel.
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets)
        if (auto* view = qobject_cast<QAbstractItemView*>(widget))
            if (view->selectionModel() == tree.Selection)
                return view;
    return nullptr;
}

void SelectAndShow(const TChannelTree& tree, const QModelIndex& node) {
    tree.Select(node);
    if (QAbstractItemView* view = ViewOfTree(tree); view && node.isValid())
        view->scrollTo(node);
}

void MakeSelectedVisible(const TChannelTree& tree) {
    const QModelIndex node = tree.SelectedNode();
    if (QAbstractItemView* view = ViewOfTree(tree); view && node.isValid())
        view->scrollTo(node);
}

TKeyPreview::TKeyPreview(QWidget* window, THandler handler)
    : QObject(window), FWindow(window), FHandler(std::move(handler)) {
    qApp->installEventFilter(this);
}

TKeyPreview::~TKeyPreview() {
    qApp->removeEventFilter(this);
}

bool TKeyPreview::IsTravelling(const QObject* receiver, const QEvent* event) const {
    if (event != FPress || !FReceiver)
        return false;
    // The window's handle hands a press to the control that has the focus.
    if (FReceiver == FWindow->windowHandle())
        return receiver->isWidgetType();
    if (!FReceiver->isWidgetType())
        return false;
    // From a control the press goes to its parent, one step at a time, and ends at the window.
    const auto* last = static_cast<const QWidget*>(FReceiver.data());
    return !last->isWindow() && receiver == last->parentWidget();
}

bool TKeyPreview::Preview(QObject* receiver, QEvent* event) {
    FPress = event;
    FReceiver = receiver;
    return FHandler(static_cast<QKeyEvent*>(event));
}

bool TKeyPreview::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Qt asks about shortcuts before it delivers a press: whatever travelled before has
        // arrived, and the press that follows is a new one even where it reuses an address.
        FPress = nullptr;
        FReceiver = nullptr;
        return false;
    case QEvent::KeyPress:
        break;
    default:
        return false;
    }
    // A press from the window system reaches the window's handle before any control.
    if (watched == FWindow->windowHandle())
        return Preview(watched, event);
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != FWindow)
        return false;
    if (IsTravelling(watched, event)) {
        FReceiver = watched;
        return false;
    }
    // A press sent straight to a control.
    return Preview(watched, event);
}
