#include "selection/USelectionHost.h"

#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "selection/UGoTo.h"
#include "selection/UJumps.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>

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

bool TKeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != FWindow)
        return false;
    // A key the focused control does not take travels on to its parents as the same event;
    // the window has seen it already.
    if (event == FLastEvent && FLastReceiver &&
        widget->isAncestorOf(static_cast<QWidget*>(FLastReceiver.data())))
        return false;
    FLastEvent = event;
    FLastReceiver = watched;
    return FHandler(static_cast<QKeyEvent*>(event));
}
