#include "main/UEditCommands.h"

#include "channels/UChannel.h"
#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/USetEPGFlags.h"
#include "main/USetGroup.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QWidget>

namespace {

// The rename dialogs open at this offset from the main window's top-left corner.
const QPoint RenameDialogOffset(150, 200);

bool IsChild(const QModelIndex& node) {
    return node.isValid() && !TChannelTreeModel::IsTopLevel(node);
}

} // namespace

TEditCommands::TEditCommands(TChannelDocument& document, QWidget* window)
    : QObject(window), FDocument(document), FWindow(window) {
}

TEditCommands::~TEditCommands() = default;

TChannelTree TEditCommands::MainTree() const {
    return FDocument.MainTree();
}

TChannelTree TEditCommands::ActiveTree() const {
    // Without a registered tree (headless use) the document's own tree is the active one.
    return ActiveTreeView().IsValid() ? ActiveTreeView() : MainTree();
}

void TEditCommands::ChannelsChangedBy(bool modified) {
    if (modified)
        FDocument.SetModified(true);
    Q_EMIT FDocument.ChannelsChanged();
}

// --- Moving the ticked channels --------------------------------------------------------------

void TEditCommands::InsertCheckedAt(const QModelIndex& target, bool before) {
    TChannelTreeModel& tree = FDocument.Tree();
    if (!target.isValid() || target.model() != &tree)
        return;
    const int row = tree.GetActualChannelNo(target);
    const TChannelTree main = MainTree();
    const QPersistentModelIndex selected(main.SelectedNode());
    tree.InsertCheckedAt(row, before);
    main.Select(selected);
    if (!FKeepMovedChannelsChecked)
        tree.UncheckAll();
    ChannelsChangedBy(true);
}

void TEditCommands::MoveCheckedToTop() {
    InsertCheckedAt(FDocument.Tree().NodeIndex(0), true);
}

void TEditCommands::MoveCheckedToBottom() {
    TChannelTreeModel& tree = FDocument.Tree();
    InsertCheckedAt(tree.NodeIndex(tree.TopCount() - 1), false);
}

void TEditCommands::InsertCheckedBefore() {
    InsertCheckedAt(MainTree().SelectedNode(), true);
}

void TEditCommands::InsertCheckedAfter() {
    InsertCheckedAt(MainTree().SelectedNode(), false);
}

// --- Deleting and restoring ------------------------------------------------------------------

void TEditCommands::DeleteChecked() {
    if (Settings().ConfirmDeleteChecked &&
        !AskConfirmation(QStringLiteral("Delete checked channels?")))
        return;
    TChannelTreeModel& tree = FDocument.Tree();
    if (tree.IsEmpty())
        return;
    // The previous batch is no longer the latest: the restore window shows it unticked.
    for (const auto& channel : FDocument.Channels().Channels())
        if (channel->IsMainChannel() && channel->State == csRecentlyDeleted)
            channel->State = csDeleted;
    // The channels keep their tick: the restore window offers the latest batch ticked.
    for (TChannel* channel : tree.RemoveCheckedNodes())
        channel->State = csRecentlyDeleted;
    ChannelsChangedBy(true);
}

void TEditCommands::RestoreChannels(const std::vector<TChannel*>& rc) {
    std::vector<TChannel*> restored;
    restored.reserve(rc.size());
    for (TChannel* channel : rc) {
        // A channel that is not deleted already has its node; a second one would save it
        // twice. An audio track comes back only with its main channel.
        if (!channel || channel->IsSubChannel() || channel->State == csNormal)
            continue;
        channel->State = csNormal;
        restored.push_back(channel);
    }
    if (restored.empty())
        return;
    TChannelTreeModel& tree = FDocument.Tree();
    tree.AppendRestoredNodes(restored, FDocument.Channels());
    Q_EMIT NodeToShow(tree.NodeIndex(tree.TopCount() - 1));
    // Restored channels that were never saved would otherwise be lost at exit without the
    // unsaved-changes question.
    ChannelsChangedBy(true);
}

// --- Names -----------------------------------------------------------------------------------

bool TEditCommands::RenameCategoryOrRoot(TEditMode mode, const QString& text) {
    if (text.isEmpty() || (mode != emRoot && mode != emCategory))
        return false;
    // The name dialog refuses such a text; a caller that bypasses it must not get a rename
    // that fails half-way through the channels.
    // Encoded once for every channel.
    const QByteArray encoded = EncodeName(text);
    const int typed = int(encoded.size());
    if (typed > ShortStringCapacity) {
        ShowErrorMessage(QStringLiteral("Name is too long"));
        return false;
    }
    TChannelTreeModel& tree = FDocument.Tree();
    const bool root = mode == emRoot;
    // The same test as the setters make, so that no setter can refuse in the change pass.
    auto fits = [&](const TChannel& c) {
        const int r = root ? typed : c.RootByteCount();
        const int k = root ? c.CategoryByteCount() : typed;
        return FreeNameByteCount(r, k, c.NameByteCount()) >= 0;
    };
    auto refuse = [&](const QModelIndex& node, const TChannel& c) {
        MainTree().Select(node);
        Q_EMIT NodeToShow(node);
        ShowErrorMessage(QStringLiteral("Channel name: %1 is too long for %2").arg(c.Name(), text));
        return false;
    };

    for (int row = 0; row < tree.TopCount(); ++row) {
        if (!tree.IsNodeChecked(row))
            continue;
        if (!fits(*tree.ChannelAt(row)))
            return refuse(tree.NodeIndex(row), *tree.ChannelAt(row));
        const std::vector<TChannel*>& subs = tree.SubChannelsAt(row);
        for (size_t k = 0; k < subs.size(); ++k)
            if (!fits(*subs[k]))
                return refuse(tree.SubIndex(row, int(k)), *subs[k]);
    }

    for (int row = 0; row < tree.TopCount(); ++row) {
        if (!tree.IsNodeChecked(row))
            continue;
        TChannel* main = tree.ChannelAt(row);
        root ? main->SetRootEncoded(encoded, text) : main->SetCategoryEncoded(encoded, text);
        for (TChannel* sub : tree.SubChannelsAt(row))
            root ? sub->SetRootEncoded(encoded, text) : sub->SetCategoryEncoded(encoded, text);
    }
    tree.ChangeTreeViewNames();
    ChannelsChangedBy(true);
    return true;
}

void TEditCommands::actRenameCategoryOrRootExecute(TEditMode mode) {
    QString text;
    {
        TfrmEditName dialog(FDocument.Tree(), FWindow);
        dialog.SetEditMode(mode);
        dialog.SetName(QString());
        if (FWindow)
            dialog.move(FWindow->pos() + RenameDialogOffset);
        if (dialog.exec() != QDialog::Accepted)
            return;
        text = dialog.Name();
    }
    if (text.isEmpty())
        return;
    RunGuarded([&] { RenameCategoryOrRoot(mode, text); });
}

void TEditCommands::EditChannelName(const QModelIndex& node, const QString& text) {
    TChannelTreeModel& tree = FDocument.Tree();
    TChannel* channel = tree.ChannelOf(node);
    if (!channel)
        return;
    bool changed = false;
    if (!text.isEmpty()) {
        channel->SetName(text);
        tree.RefreshNode(tree.GetActualChannelNo(node));
        changed = true;
    }
    ChannelsChangedBy(changed);
}

void TEditCommands::actEditChannelNameExecute() {
    TChannelTreeModel& tree = FDocument.Tree();
    const QPersistentModelIndex node(MainTree().SelectedNode());
    if (!node.isValid())
        return;
    QString text;
    {
        TfrmEditName dialog(tree, FWindow);
        dialog.SetEditMode(emChannelName);
        dialog.SetChannelToEdit(tree.ChannelOf(node));
        dialog.SetChannelNo(tree.GetActualChannelNo(node));
        if (dialog.exec() != QDialog::Accepted)
            return;
        text = dialog.Name();
    }
    RunGuarded([&] { EditChannelName(node, text); });
}

// --- Property dialogs ------------------------------------------------------------------------

void TEditCommands::ChangeCheckedChannels(TTrackReach reach,
                                          const std::function<void(TChannel&)>& change) {
    TChannelTreeModel& tree = FDocument.Tree();
    for (int row = 0; row < tree.TopCount(); ++row) {
        if (!tree.IsNodeChecked(row))
            continue;
        change(*tree.ChannelAt(row));
        if (reach == trWithAudioTracks)
            for (TChannel* sub : tree.SubChannelsAt(row))
                change(*sub);
    }
    ChannelsChangedBy(true);
}

void TEditCommands::SetGroup(quint8 group) {
    ChangeCheckedChannels(trWithAudioTracks, [group](TChannel& c) { c.SetGroup(group); });
}

void TEditCommands::SetProperty(TSetType type, int item) {
    if (item < 0)
        return;
    const bool on = item == 1;
    switch (type) {
    case stRDS:
        ChangeCheckedChannels(trWithAudioTracks, [on](TChannel& c) { c.SetHasRDS(on); });
        break;
    case stAutoUpdate:
        ChangeCheckedChannels(trWithAudioTracks, [on](TChannel& c) { c.SetIsAutoUpdate(on); });
        break;
    case stSpeakers:
        // The default audio track is the main channel's choice among its tracks.
        ChangeCheckedChannels(trMainChannel, [item](TChannel& c) { c.SetSpeakers(quint8(item)); });
        break;
    }
}

void TEditCommands::SetEPGFlags(quint8 flags) {
    ChangeCheckedChannels(trWithAudioTracks, [flags](TChannel& c) { c.SetEpgFlags(flags); });
}

void TEditCommands::actSetGroupExecute() {
    TfrmSetGroup dialog(FWindow);
    if (dialog.exec() == QDialog::Accepted && dialog.ItemIndex() >= 0)
        SetGroup(quint8(dialog.ItemIndex()));
}

void TEditCommands::actSetPropertyExecute(TSetType type) {
    TfrmSetProperty dialog(FWindow);
    dialog.SetSetType(type);
    if (dialog.exec() == QDialog::Accepted)
        SetProperty(type, dialog.ItemIndex());
}

void TEditCommands::actSetEPGFlagsExecute() {
    TfrmSetEPGFlags dialog(FWindow);
    if (dialog.exec() == QDialog::Accepted)
        SetEPGFlags(dialog.Flags());
}

// --- Audio tracks ----------------------------------------------------------------------------

void TEditCommands::SetMainAudioTrack(const QModelIndex& subNode, const QModelIndex& mainNode) {
    TChannelTreeModel& tree = FDocument.Tree();
    if (!IsChild(subNode) || subNode.model() != &tree || tree.parent(subNode) != mainNode)
        return;
    const int row = mainNode.row();
    TChannel* sub = tree.ChannelOf(subNode);
    TChannel* main = tree.ChannelAt(row);
    if (!sub || !main)
        return;
    FDocument.Channels().MakeMainAudioTrack(sub, main);
    tree.ExchangeMainAndSub(row, subNode.row());
    FDocument.SetModified(true);
    MainTree().Select(tree.NodeIndex(row));
}

void TEditCommands::DefaultAudioTrack() {
    const QModelIndex node = MainTree().SelectedNode();
    if (!IsChild(node))
        return;
    SetMainAudioTrack(node, node.parent());
    ChannelsChangedBy(true);
}

void TEditCommands::SwapAudioTrackNodes(const QModelIndex& node1, const QModelIndex& node2) {
    TChannelTreeModel& tree = FDocument.Tree();
    if (!IsChild(node1) || !IsChild(node2) || node1.model() != &tree || node2.model() != &tree ||
        node1.parent() != node2.parent() || node1 == node2)
        return;
    const int row = node1.parent().row();
    const int sub2 = node2.row();
    FDocument.Channels().SwapAudioTracks(tree.ChannelOf(node1), tree.ChannelOf(node2));
    tree.SwapSubs(row, node1.row(), sub2);
    MainTree().Select(tree.SubIndex(row, sub2));
    ChannelsChangedBy(true);
}

// --- Bookmarks and ticks ---------------------------------------------------------------------

void TEditCommands::ToggleBookmark() {
    const TChannelTree tree = ActiveTree();
    const QModelIndex node = tree.SelectedNode();
    if (!tree.Model || !node.isValid())
        return;
    // An audio track stands for its main channel.
    tree.Model->ToggleBookmark(tree.Model->GetActualChannelNo(node));
}

void TEditCommands::DeleteAllBookmarks() {
    if (TChannelTreeModel* model = ActiveTree().Model)
        model->DeleteAllBookmarks();
    Q_EMIT GoToWindowUpdateNeeded();
}

void TEditCommands::CheckAll() {
    if (TChannelTreeModel* model = ActiveTree().Model)
        model->CheckAll();
    Q_EMIT GoToWindowUpdateNeeded();
}

void TEditCommands::UncheckAll() {
    if (TChannelTreeModel* model = ActiveTree().Model)
        model->UncheckAll();
    Q_EMIT GoToWindowUpdateNeeded();
}

void TEditCommands::InvertChecking() {
    if (TChannelTreeModel* model = ActiveTree().Model)
        model->InvertChecking();
    Q_EMIT GoToWindowUpdateNeeded();
}

// --- Drag and drop ---------------------------------------------------------------------------

bool TEditCommands::IsDropInGroup(const QModelIndex& dragged, const QModelIndex& target) const {
    if (Settings().FreeDragAndDropAllowed)
        return true;
    const TChannelTreeModel& tree = FDocument.Tree();
    const TChannel* d = tree.ChannelOf(dragged);
    const TChannel* t = tree.ChannelOf(target);
    if (!d || !t)
        return false;
    const QString category = d->Category();
    const QString root = d->Root();
    if (category == t->Category() && root == t->Root())
        return true;
    // A drop lands before the target, so the node after a group's last channel also ends
    // the drag inside that group.
    if (!TChannelTreeModel::IsTopLevel(target))
        return false;
    const TChannel* previous = tree.ChannelAt(target.row() - 1);
    return previous && category == previous->Category() && root == previous->Root();
}

bool TEditCommands::CanDrop(const QModelIndex& dragged, const QModelIndex& target) const {
    const TChannelTreeModel& tree = FDocument.Tree();
    if (!dragged.isValid() || !target.isValid() || dragged.model() != &tree ||
        target.model() != &tree)
        return false;
    const bool draggedTop = TChannelTreeModel::IsTopLevel(dragged);
    const bool targetTop = TChannelTreeModel::IsTopLevel(target);
    if (draggedTop && targetTop)
        return IsDropInGroup(dragged, target);
    if (!draggedTop && targetTop)
        return dragged.parent() == target;
    if (!draggedTop && !targetTop)
        return dragged.parent() == target.parent();
    return false;
}

void TEditCommands::Drop(const QModelIndex& dragged, const QModelIndex& target) {
    if (!CanDrop(dragged, target))
        return;
    TChannelTreeModel& tree = FDocument.Tree();
    const bool draggedTop = TChannelTreeModel::IsTopLevel(dragged);
    const bool targetTop = TChannelTreeModel::IsTopLevel(target);
    if (draggedTop && targetTop) {
        const int a = target.row();
        const int b = dragged.row();
        // Before itself or before the node that follows it, the node stays where it is.
        if (a == b || a == b + 1)
            return;
        tree.MoveNodeBefore(b, a);
        tree.ChangeTreeViewNamesBetween(a, b);
        ChannelsChangedBy(true);
    } else if (targetTop) {
        SetMainAudioTrack(dragged, target);
        ChannelsChangedBy(true);
    } else if (dragged != target) {
        SwapAudioTrackNodes(dragged, target);
    }
}
