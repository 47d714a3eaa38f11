#pragma once

#include "main/UEditName.h"
#include "main/USetProperty.h"

#include <QModelIndex>
#include <QObject>
#include <functional>
#include <vector>

class QWidget;
class TChannel;
class TChannelDocument;
struct TChannelTree;

// The commands that change the channels or their order: moving, inserting, dragging,
// deleting and restoring ticked channels, renaming, the property dialogs, the default audio
// track, bookmarks and the bulk ticks. They work on the document's list and main tree (the
// bookmark and tick commands on the active tree) and need no window of their own, so every
// one of them runs headless. A command that changes channels ends with the document's
// ChannelsChanged, so that the structure and the information panes follow.
class TEditCommands : public QObject {
    Q_OBJECT

public:
    // window: the main window, parent and anchor of the dialogs; may be none.
    explicit TEditCommands(TChannelDocument& document, QWidget* window = nullptr);
    ~TEditCommands() override;

    // "Keep Moved Channels Checked"; on at start, not stored.
    bool KeepMovedChannelsChecked() const { return FKeepMovedChannelsChecked; }
    void SetKeepMovedChannelsChecked(bool keep) { FKeepMovedChannelsChecked = keep; }

    // Moves every ticked main node, in tree order and with its audio tracks, directly before
    // or after the target node (a child node stands for its parent).
    void InsertCheckedAt(const QModelIndex& target, bool before);
    void MoveCheckedToTop();
    void MoveCheckedToBottom();
    // Before or after the selected node of the main tree.
    void InsertCheckedBefore();
    void InsertCheckedAfter();

    // "Delete Checked", its question included. The previous batch becomes csDeleted, this
    // one csRecentlyDeleted; the channels stay in the list.
    void DeleteChecked();
    // Hands deleted main channels back to the end of the main tree, ticked.
    void RestoreChannels(const std::vector<TChannel*>& rc);

    // Renames the category (emCategory) or root (emRoot) of every ticked channel and of its
    // audio tracks. Checks every one first: when the name of one would no longer fit, that
    // node is selected, the error is shown and nothing changes. False when refused or empty.
    bool RenameCategoryOrRoot(TEditMode mode, const QString& text);
    // Asks with the name dialog, then renames.
    void actRenameCategoryOrRootExecute(TEditMode mode);
    // Names the node's channel (main or audio track); an empty text changes nothing. A name
    // that does not fit raises EChannelException.
    void EditChannelName(const QModelIndex& node, const QString& text);
    void actEditChannelNameExecute();

    // The values of the property dialogs, given to every ticked channel. The group (0 for "A"
    // to 7 for "H"), RDS, auto update and the whole EPG flag byte reach its audio tracks too;
    // the speakers (0 stereo, 1 left, 2 right) are the main channel's own choice among its
    // tracks. SetProperty takes the chosen item's index; below 0 is no choice and changes
    // nothing.
    void SetGroup(quint8 group);
    void SetProperty(TSetType type, int item);
    void SetEPGFlags(quint8 flags);
    // Ask with their dialog, then set; Cancel changes nothing.
    void actSetGroupExecute();
    void actSetPropertyExecute(TSetType type);
    void actSetEPGFlagsExecute();

    // The audio track of subNode becomes the main channel of mainNode, its parent.
    void SetMainAudioTrack(const QModelIndex& subNode, const QModelIndex& mainNode);
    // "Default Audio Track" (F11) on the selected node, when it is an audio track.
    void DefaultAudioTrack();
    // Two audio tracks of one parent exchange their places.
    void SwapAudioTrackNodes(const QModelIndex& node1, const QModelIndex& node2);

    // On the active tree; they change no file content, so the unsaved mark stays.
    void ToggleBookmark();
    void DeleteAllBookmarks();
    void CheckAll();
    void UncheckAll();
    void InvertChecking();

    // Drag and drop of single nodes in the main tree. IsDropInGroup keeps a main channel
    // inside its own root and category group unless free dragging is allowed; CanDrop is the
    // whole test of a drag over a node; Drop acts on an accepted drop.
    bool IsDropInGroup(const QModelIndex& dragged, const QModelIndex& target) const;
    bool CanDrop(const QModelIndex& dragged, const QModelIndex& target) const;
    void Drop(const QModelIndex& dragged, const QModelIndex& target);

Q_SIGNALS:
    // The GoTo window re-evaluates its controls (bulk ticks, bookmarks removed).
    void GoToWindowUpdateNeeded();
    // The view should bring this node into view (it is not selected).
    void NodeToShow(const QModelIndex& node);

private:
    enum TTrackReach { trMainChannel, trWithAudioTracks };

    TChannelTree MainTree() const;
    TChannelTree ActiveTree() const;
    // Refreshes that follow a command that changed channels.
    void ChannelsChangedBy(bool modified);
    // Calls change on the channel of every ticked main node of the main tree, in tree order,
    // and with trWithAudioTracks on each of its audio tracks; then the list counts as changed.
    void ChangeCheckedChannels(TTrackReach reach, const std::function<void(TChannel&)>& change);

    TChannelDocument& FDocument;
    QWidget* FWindow = nullptr;
    bool FKeepMovedChannelsChecked = true;
};
