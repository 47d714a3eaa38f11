#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UEditCommands.h"
#include "main/UEditName.h"
#include "main/UMain.h"
#include "main/USetProperty.h"
#include "settings/USettings.h"
#include "structure/UStructure.h"
#include "ui/UMessages.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDrag>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

namespace {

TChannelRecBuilder Main(const QString& name, const QString& category = QStringLiteral("Cat"),
                        const QString& root = QStringLiteral("Root")) {
    return TChannelRecBuilder().Name(name).Category(category).Root(root).Video();
}

TChannelRecBuilder Sub(const QString& name) {
    return Main(name).SubChannel();
}

// The platform's part of a drag, which the offscreen platform leaves out (it ends every drag
// at once). While a drag runs, the mouse moves and the release that reach a window become the
// drag and drop events a platform hands that window, the way Qt's own simple drag does: enter
// and move while the pointer moves, a drop at the release, a leave at Escape. Like Windows, it
// counts a drop done only with an action the drag offered.
class TDragLoop : public QObject {
public:
    // Played inside the drag's loop once the drag is under way.
    std::function<void()> Script;

    int Drags = 0;
    Qt::DropActions Offered;
    bool EnterAccepted = false;
    bool MoveAccepted = false; // the answer to the last move
    bool DropAccepted = false;
    Qt::DropAction Result = Qt::IgnoreAction;

    Qt::DropAction Run(QDrag& drag, Qt::DropActions actions, Qt::DropAction) {
        ++Drags;
        Offered = actions;
        FData = drag.mimeData();
        FWindow = nullptr;
        EnterAccepted = MoveAccepted = DropAccepted = false;
        Result = Qt::IgnoreAction;
        QEventLoop loop;
        FLoop = &loop;
        qApp->installEventFilter(this);
        if (Script)
            QTimer::singleShot(0, this, Script);
        // A script that never releases must not hang the test.
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        qApp->removeEventFilter(this);
        FLoop = nullptr;
        return Result;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        if (window && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            Cancel();
            return true;
        }
        if (!window ||
            (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonRelease &&
             event->type() != QEvent::MouseButtonPress))
            return false;
        // The drag has the pointer: no window sees these as mouse events.
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint point = mouse->position().toPoint();
        if (event->type() == QEvent::MouseMove)
            Move(window, point, mouse->buttons(), mouse->modifiers());
        else if (event->type() == QEvent::MouseButtonRelease)
            Drop(window, point, mouse->modifiers());
        return true;
    }

private:
    const QMimeData* FData = nullptr;
    QWindow* FWindow = nullptr;
    QEventLoop* FLoop = nullptr;

    void Move(QWindow* window, const QPoint& point, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers) {
        Qt::DropAction lastAction = Qt::IgnoreAction;
        if (window != FWindow) {
            if (FWindow) {
                QDragLeaveEvent leave;
                QCoreApplication::sendEvent(FWindow, &leave);
            }
            FWindow = window;
            QDragEnterEvent enter(point, Offered, FData, buttons, modifiers);
            QCoreApplication::sendEvent(window, &enter);
            EnterAccepted = enter.isAccepted();
            if (enter.isAccepted())
                lastAction = enter.dropAction();
        }
        QDragMoveEvent move(point, Offered, FData, buttons, modifiers);
        if (lastAction != Qt::IgnoreAction && (Offered & lastAction)) {
            move.setDropAction(lastAction);
            move.accept();
        }
        QCoreApplication::sendEvent(window, &move);
        MoveAccepted = move.isAccepted() && (Offered & move.dropAction());
    }

    // Escape ends the drag without a drop.
    void Cancel() {
        if (FWindow) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(FWindow, &leave);
        }
        FWindow = nullptr;
        FLoop->quit();
    }

    void Drop(QWindow* window, const QPoint& point, Qt::KeyboardModifiers modifiers) {
        if (FWindow) {
            QDropEvent drop(QPointF(point), Offered, FData, Qt::NoButton, modifiers);
            QCoreApplication::sendEvent(window, &drop);
            DropAccepted = drop.isAccepted();
            if (drop.isAccepted() && (Offered & drop.dropAction()))
                Result = drop.dropAction();
        }
        FWindow = nullptr;
        FLoop->quit();
    }
};

} // namespace

class TestEditWiring : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;
    std::unique_ptr<TDragLoop> FDragLoop;

    TChannelTreeModel& Tree() const { return F->Tree(); }
    TChannelTreeView* View() const { return F.Child<TChannelTreeView>("tvChannels"); }
    QString CheckedPanel() const { return F.Child<QLabel>("StatusPanel1")->text(); }

    // Triggers a command as the menu would, with the commands' states brought up to date.
    bool Trigger(const QString& name) { return F.Trigger(name, {.UpdateActionsFirst = true}); }

    void Load(const QList<TChannelRec>& records) {
        const QString path = F.Path(QStringLiteral("work.dat"));
        QVERIFY(WriteChannelFile(path, records));
        F->Document().LoadChannelList(path);
        QVERIFY(!F->Document().IsModified());
    }

    // A B C D E; B has the audio track b.
    void LoadFive() {
        Load({Main(u"A"_qs), Main(u"B"_qs), Sub(u"b"_qs), Main(u"C"_qs), Main(u"D"_qs),
              Main(u"E"_qs)});
    }

    // The main channels' names in tree order, one letter each.
    QString Order() const {
        QString order;
        for (int row = 0; row < Tree().TopCount(); ++row)
            order += Tree().ChannelAt(row)->Name();
        return order;
    }
    QString Ticked() const {
        QString ticked;
        for (int row = 0; row < Tree().TopCount(); ++row)
            if (Tree().IsNodeChecked(row))
                ticked += Tree().ChannelAt(row)->Name();
        return ticked;
    }
    // What a structure holds: groups with their spelling, channels with their rows.
    static QString StructureText(const TStructure& structure) {
        QString text;
        for (const auto& root : structure.Roots()) {
            text += root->Name + u'{';
            for (const auto& category : root->Categories) {
                text += category->Name + u':';
                for (const TChannelHelper& helper : category->Channels)
                    text += helper.Channel->Name() + QString::number(helper.No);
                text += u';';
            }
            text += u'}';
        }
        return text + (structure.IsHappy() ? u"+"_qs : u"-"_qs);
    }
    int RowOf(const QString& name) const {
        for (int row = 0; row < Tree().TopCount(); ++row)
            if (Tree().ChannelAt(row)->Name() == name)
                return row;
        return -1;
    }
    void TickByName(const QString& names) {
        for (const QChar name : names)
            CheckNode(Tree().NodeIndex(RowOf(QString(name))));
    }
    // Every node text starts with its own number.
    bool NumberedInOrder() const {
        for (int row = 0; row < Tree().TopCount(); ++row)
            if (!Tree()
                     .data(Tree().NodeIndex(row))
                     .toString()
                     .startsWith(u'[' + QString::number(row) + u"] "_qs))
                return false;
        return true;
    }
    QPoint TextPoint(const QModelIndex& node) const {
        // Right of the tick box and the image, on the node's text.
        const QRect rect = View()->visualRect(node);
        return QPoint(rect.left() + rect.width() / 2, rect.center().y());
    }
    QPoint InWindow(const QPoint& viewportPoint) const {
        return View()->viewport()->mapTo(&F.Main(), viewportPoint);
    }
    // Drags the node with the left button as a user does: press on its text, move past the
    // drag distance, move over the point (viewport coordinates), release there. True when a
    // drag ran; what it offered and what came of it are in FDragLoop.
    bool DragWithMouse(const QModelIndex& node, const QPoint& to) {
        QWindow* window = F->windowHandle();
        const QPoint from = TextPoint(node);
        const QPoint toInWindow = InWindow(to);
        const QPoint halfway = InWindow((from + to) / 2);
        const int drags = FDragLoop->Drags;
        FDragLoop->Script = [window, halfway, toInWindow] {
            QTest::mouseMove(window, halfway);
            QTest::mouseMove(window, toInWindow);
            QTest::mouseRelease(window, Qt::LeftButton, {}, toInWindow);
        };
        const QPoint step(QApplication::startDragDistance() + 1, 0);
        QTest::mousePress(window, Qt::LeftButton, {}, InWindow(from));
        QTest::mouseMove(window, InWindow(from + step));
        QTest::mouseMove(window, InWindow(from + 2 * step));
        FDragLoop->Script = nullptr;
        if (FDragLoop->Drags == drags) {
            QTest::mouseRelease(window, Qt::LeftButton, {}, InWindow(from + 2 * step));
            return false;
        }
        return true;
    }
    QPoint TickBoxCentre(const QModelIndex& node) const {
        QStyleOptionViewItem option;
        option.initFrom(View());
        option.rect = View()->visualRect(node);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        return View()
            ->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, View())
            .center();
    }

private Q_SLOTS:
    void init() {
        QVERIFY(F.Prepare());
        QVERIFY(F.Open({.Show = false}));
        FDragLoop = std::make_unique<TDragLoop>();
        TChannelTreeView::SetDragRunner(
            [this](QDrag& drag, Qt::DropActions actions, Qt::DropAction defaultAction) {
                return FDragLoop->Run(drag, actions, defaultAction);
            });
        F->show();
        QVERIFY(QTest::qWaitForWindowExposed(&F.Main()));
    }

    void cleanup() {
        F.Cleanup();
        TChannelTreeView::SetDragRunner(nullptr);
        FDragLoop.reset();
    }

    void moveCommandsReorderTheTickedChannels_data() {
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target"); // selected node for the insert commands
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QString>("order");

        const QString top = u"actMoveCheckedToTop"_qs, bottom = u"actMoveCheckedToBottom"_qs;
        const QString before = u"actInsertCheckedBefore"_qs, after = u"actInsertCheckedAfter"_qs;
        QTest::newRow("B D to top") << u"BD"_qs << top << u"C"_qs << true << u"BDACE"_qs;
        QTest::newRow("A C to top, first ticked")
            << u"AC"_qs << top << u"E"_qs << true << u"ACBDE"_qs;
        QTest::newRow("B D to bottom") << u"BD"_qs << bottom << u"A"_qs << true << u"ACEBD"_qs;
        QTest::newRow("B E to bottom, last ticked")
            << u"BE"_qs << bottom << u"A"_qs << true << u"ACDBE"_qs;
        QTest::newRow("A D before C") << u"AD"_qs << before << u"C"_qs << true << u"BADCE"_qs;
        QTest::newRow("A D after C") << u"AD"_qs << after << u"C"_qs << true << u"BCADE"_qs;
        QTest::newRow("B D after A, anchor ticked")
            << u"BD"_qs << after << u"A"_qs << true << u"ADBCE"_qs;
        QTest::newRow("C E after B, anchor ticked")
            << u"CE"_qs << after << u"B"_qs << true << u"ABECD"_qs;
        QTest::newRow("B D to top, ticks not kept")
            << u"BD"_qs << top << u"C"_qs << false << u"BDACE"_qs;
        QTest::newRow("A D after C, ticks not kept")
            << u"AD"_qs << after << u"C"_qs << false << u"BCADE"_qs;
    }
    void moveCommandsReorderTheTickedChannels() {
        QFETCH(QString, ticked);
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(bool, keep);
        QFETCH(QString, order);
        LoadFive();
        if (!keep)
            QVERIFY(Trigger(u"actKeepMovedChannelsChecked"_qs));
        QCOMPARE(F->EditCommands().KeepMovedChannelsChecked(), keep);
        TickByName(ticked);
        MainTreeView().Select(Tree().NodeIndex(RowOf(target)));

        QVERIFY(Trigger(command));
        QCOMPARE(Order(), order);
        QCOMPARE(Tree().ChannelAt(RowOf(u"B"_qs))->Name(), u"B"_qs);
        QCOMPARE(Tree().SubChannelsAt(RowOf(u"B"_qs)).size(), size_t(1)); // b moved along
        QVERIFY(NumberedInOrder());
        QVERIFY(F->Document().IsModified());
        QVERIFY(MainTreeView().SelectedChannel());
        QCOMPARE(MainTreeView().SelectedChannel()->Name(), target);
        QString expectedTicks;
        for (const QChar name : order)
            if (keep && ticked.contains(name))
                expectedTicks += name;
        QCOMPARE(Ticked(), expectedTicks);
        QCOMPARE(CheckedPanel(), u"Checked: "_qs + QString::number(expectedTicks.size()));
    }

    void deleteCheckedAsksAndRemovesTheTickedNodes_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("answered yes") << true;
        QTest::newRow("answered no") << false;
    }
    void deleteCheckedAsksAndRemovesTheTickedNodes() {
        QFETCH(bool, yes);
        LoadFive();
        Settings().ConfirmDeleteChecked = true;
        TickByName(u"BD"_qs);
        TChannel* b = Tree().ChannelAt(1);
        TChannel* d = Tree().ChannelAt(3);
        TDialogSeam::AddAnswer(yes);

        QVERIFY(Trigger(u"actDeleteChecked"_qs));
        QCOMPARE(TDialogSeam::ShownTexts(), QStringList{u"Delete checked channels?"_qs});
        QCOMPARE(TDialogSeam::UnansweredQuestions(), 0);
        QCOMPARE(Order(), yes ? u"ACE"_qs : u"ABCDE"_qs);
        QCOMPARE(b->State, yes ? csRecentlyDeleted : csNormal);
        QCOMPARE(d->State, yes ? csRecentlyDeleted : csNormal);
        QCOMPARE(CheckedPanel(), yes ? u"Checked: 0"_qs : u"Checked: 2"_qs);
        QCOMPARE(F->Document().IsModified(), yes);
        QVERIFY(NumberedInOrder());
    }

    void renameCommandsAskForTheNewText_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("ok");
        QTest::newRow("categories") << u"actRenameCategories"_qs << u"Edit Category"_qs << true;
        QTest::newRow("roots") << u"actRenameRoots"_qs << u"Edit Root"_qs << true;
        QTest::newRow("categories cancelled")
            << u"actRenameCategories"_qs << u"Edit Category"_qs << false;
    }
    void renameCommandsAskForTheNewText() {
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(bool, ok);
        LoadFive();
        TickByName(u"AB"_qs);
        const bool root = command == u"actRenameRoots"_qs;
        QPoint dialogPos;
        QString shownTitle;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            QVERIFY(dialog);
            dialogPos = dialog->pos();
            shownTitle = dialog->windowTitle();
            auto* edit = Child<QLineEdit>(dialog, "edtName");
            QVERIFY(edit);
            QVERIFY(edit->text().isEmpty());
            edit->setText(u"News"_qs);
            auto* button = Child<QPushButton>(dialog, ok ? "btnOk" : "btnCancel");
            QVERIFY(button);
            button->click();
        });

        QVERIFY(Trigger(command));
        QCOMPARE(shownTitle, title);
        QCOMPARE(dialogPos, F->pos() + QPoint(150, 200));
        const auto field = [root](const TChannel* c) { return root ? c->Root() : c->Category(); };
        const QString renamed = ok ? u"News"_qs : root ? u"Root"_qs : u"Cat"_qs;
        QCOMPARE(field(Tree().ChannelAt(0)), renamed);
        QCOMPARE(field(Tree().ChannelAt(1)), renamed);
        QCOMPARE(field(Tree().SubChannelsAt(1).front()), renamed); // B's audio track follows
        QCOMPARE(field(Tree().ChannelAt(2)), root ? u"Root"_qs : u"Cat"_qs);
        QCOMPARE(Tree().data(Tree().NodeIndex(1)).toString().contains(u"News"_qs), ok);
        QCOMPARE(F->Document().IsModified(), ok);
    }

    void editChannelNameRenamesTheSelectedAudioTrackOnly() {
        LoadFive();
        View()->expand(Tree().NodeIndex(1));
        const QModelIndex sub = Tree().SubIndex(1, 0);
        MainTreeView().Select(sub);
        QString shownText;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            QVERIFY(dialog);
            auto* edit = Child<QLineEdit>(dialog, "edtName");
            QVERIFY(edit);
            shownText = edit->text();
            edit->setText(u"bb"_qs);
            auto* button = Child<QPushButton>(dialog, "btnOk");
            QVERIFY(button);
            button->click();
        });

        QVERIFY(Trigger(u"actEditChannelName"_qs));
        QCOMPARE(shownText, u"b"_qs);
        QCOMPARE(Tree().SubChannelsAt(1).front()->Name(), u"bb"_qs);
        QCOMPARE(Tree().data(sub).toString(), u"bb"_qs);
        QCOMPARE(Tree().ChannelAt(1)->Name(), u"B"_qs);
        QVERIFY(F->Document().IsModified());
    }

    void propertyCommandsOpenTheirDialogs_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("setType"); // -1: not the property dialog
        QTest::newRow("group") << u"actSetGroup"_qs << u"frmSetGroup"_qs << -1;
        QTest::newRow("EPG flags") << u"actSetEPGFlags"_qs << u"frmSetEPGFlags"_qs << -1;
        QTest::newRow("auto update")
            << u"actSetAutoUpdate"_qs << u"frmSetProperty"_qs << int(stAutoUpdate);
        QTest::newRow("RDS") << u"actSetRDS"_qs << u"frmSetProperty"_qs << int(stRDS);
        QTest::newRow("speakers") << u"actSetSpeakers"_qs << u"frmSetProperty"_qs
                                  << int(stSpeakers);
    }
    void propertyCommandsOpenTheirDialogs() {
        QFETCH(QString, command);
        QFETCH(QString, dialog);
        QFETCH(int, setType);
        LoadFive();
        TickByName(u"C"_qs);
        QString shown;
        int shownType = -1;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* window = qobject_cast<QDialog*>(w);
            QVERIFY(window);
            shown = window->objectName();
            if (auto* property = qobject_cast<TfrmSetProperty*>(window))
                shownType = property->SetType();
            window->reject();
        });
        QVERIFY(Trigger(command));
        QCOMPARE(shown, dialog);
        QCOMPARE(shownType, setType);
        QVERIFY(!F->Document().IsModified()); // cancelled
    }

    void audioTrackBecomesTheMainChannel_data() {
        QTest::addColumn<bool>("byDrag");
        QTest::newRow("F11") << false;
        QTest::newRow("dragged onto its parent") << true;
    }
    void audioTrackBecomesTheMainChannel() {
        QFETCH(bool, byDrag);
        LoadFive();
        TChannel* formerMain = Tree().ChannelAt(1);
        TChannel* track = Tree().SubChannelsAt(1).front();
        CheckNode(Tree().NodeIndex(1));
        formerMain->IsBookMarked = true;
        View()->expand(Tree().NodeIndex(1));
        MainTreeView().Select(Tree().SubIndex(1, 0));

        if (byDrag) {
            QVERIFY(DragWithMouse(Tree().SubIndex(1, 0), TextPoint(Tree().NodeIndex(1))));
            QVERIFY(FDragLoop->MoveAccepted);
            QCOMPARE(FDragLoop->Result, Qt::MoveAction);
        } else {
            F->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&F.Main()));
            View()->setFocus();
            QTest::keyClick(View(), Qt::Key_F11);
        }

        QCOMPARE(Tree().ChannelAt(1), track);
        QCOMPARE(Tree().SubChannelsAt(1).front(), formerMain);
        QVERIFY(Tree().data(Tree().NodeIndex(1)).toString().startsWith(u"[1] b"_qs));
        QCOMPARE(Tree().data(Tree().SubIndex(1, 0)).toString(), u"B"_qs);
        // Tick and bookmark belong to the row, not to the track that used to be its channel.
        QVERIFY(Tree().IsNodeChecked(1));
        QVERIFY(track->IsChecked);
        QVERIFY(track->IsBookMarked);
        QVERIFY(!formerMain->IsChecked);
        QVERIFY(!formerMain->IsBookMarked);
        QVERIFY(track->IsMainChannel());
        QVERIFY(formerMain->IsSubChannel());
        QCOMPARE(CheckedPanel(), u"Checked: 1"_qs);
        QVERIFY(F->Document().IsModified());
        // The list follows: the new main channel comes first.
        const TChannels& list = F->Channels();
        QCOMPARE(list.IndexOf(formerMain), list.IndexOf(track) + 1);
    }

    void defaultAudioTrackIgnoresAMainNode() {
        LoadFive();
        MainTreeView().Select(Tree().NodeIndex(1));
        QVERIFY(Trigger(u"actDefaultAudioTrack"_qs));
        QCOMPARE(Tree().ChannelAt(1)->Name(), u"B"_qs);
        QVERIFY(!F->Document().IsModified());
    }

    void dragOfAMainChannelStaysInItsGroup_data() {
        QTest::addColumn<bool>("free");
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("order");
        // A B: Cat under Root; C D: Other under Root; E: Cat under Top.
        QTest::newRow("inside the group") << false << u"B"_qs << u"A"_qs << true << u"BACDE"_qs;
        QTest::newRow("after the group's last")
            << false << u"A"_qs << u"C"_qs << true << u"BACDE"_qs;
        QTest::newRow("into another group refused")
            << false << u"A"_qs << u"D"_qs << false << u"ABCDE"_qs;
        QTest::newRow("same category, other root refused")
            << false << u"A"_qs << u"E"_qs << false << u"ABCDE"_qs;
        QTest::newRow("into another group, free")
            << true << u"A"_qs << u"D"_qs << true << u"BCADE"_qs;
        QTest::newRow("upwards, free") << true << u"E"_qs << u"B"_qs << true << u"AEBCD"_qs;
        QTest::newRow("onto itself, free") << true << u"C"_qs << u"C"_qs << true << u"ABCDE"_qs;
    }
    void dragOfAMainChannelStaysInItsGroup() {
        QFETCH(bool, free);
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(bool, accepted);
        QFETCH(QString, order);
        Load({Main(u"A"_qs), Main(u"B"_qs), Main(u"C"_qs, u"Other"_qs), Main(u"D"_qs, u"Other"_qs),
              Main(u"E"_qs, u"Cat"_qs, u"Top"_qs)});
        Settings().FreeDragAndDropAllowed = free;
        TickByName(dragged);
        const QPoint point = TextPoint(Tree().NodeIndex(RowOf(target)));

        QVERIFY(DragWithMouse(Tree().NodeIndex(RowOf(dragged)), point));
        // A node is moved, and the drag says so: a platform that holds a drop to the actions
        // its source offered would refuse anything else.
        QVERIFY(FDragLoop->Offered.testFlag(Qt::MoveAction));
        QVERIFY(FDragLoop->EnterAccepted);
        QCOMPARE(FDragLoop->MoveAccepted, accepted);
        QCOMPARE(FDragLoop->Result, accepted ? Qt::MoveAction : Qt::IgnoreAction);
        QCOMPARE(Order(), order);
        QVERIFY(NumberedInOrder());
        QCOMPARE(Ticked(), dragged); // the tick travels with its node
        QCOMPARE(F->Document().IsModified(), order != u"ABCDE"_qs);
        // The window's structure follows the move; it must be what a rebuild makes.
        TStructure rebuilt;
        rebuilt.UpdateStructure(Tree());
        QCOMPARE(StructureText(F->TheStructure()), StructureText(rebuilt));
    }

    void audioTrackDragsStayWithTheirParent_data() {
        QTest::addColumn<QString>("target"); // "B1": B's second track; "D": main channel D
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("tracks"); // B's tracks afterwards
        QTest::newRow("onto a track of the same parent") << u"B1"_qs << true << u"cb"_qs;
        QTest::newRow("onto a track of another parent") << u"D0"_qs << false << u"bc"_qs;
        QTest::newRow("onto another main channel") << u"D"_qs << false << u"bc"_qs;
    }
    void audioTrackDragsStayWithTheirParent() {
        QFETCH(QString, target);
        QFETCH(bool, accepted);
        QFETCH(QString, tracks);
        Load({Main(u"A"_qs), Main(u"B"_qs), Sub(u"b"_qs), Sub(u"c"_qs), Main(u"C"_qs),
              Main(u"D"_qs), Sub(u"d"_qs)});
        Settings().FreeDragAndDropAllowed = true;
        View()->expandAll();
        const int row = RowOf(target.left(1));
        const QModelIndex onto = target.size() == 2 ? Tree().SubIndex(row, target.mid(1).toInt())
                                                    : Tree().NodeIndex(row);

        QVERIFY(DragWithMouse(Tree().SubIndex(1, 0), TextPoint(onto)));
        QCOMPARE(FDragLoop->MoveAccepted, accepted);
        QCOMPARE(FDragLoop->Result, accepted ? Qt::MoveAction : Qt::IgnoreAction);
        QString shown;
        for (const TChannel* track : Tree().SubChannelsAt(1))
            shown += track->Name();
        QCOMPARE(shown, tracks);
        QCOMPARE(Tree().data(Tree().SubIndex(1, 0)).toString(), tracks.left(1));
        QCOMPARE(Order(), u"ABCD"_qs);
        QCOMPARE(Tree().SubChannelsAt(3).size(), size_t(1));
        QCOMPARE(F->Document().IsModified(), accepted);
    }

    void draggingNearAnEdgeScrollsTheTree_data() {
        QTest::addColumn<bool>("down");
        QTest::newRow("near the bottom") << true;
        QTest::newRow("near the top") << false;
    }
    void draggingNearAnEdgeScrollsTheTree() {
        QFETCH(bool, down);
        QList<TChannelRec> records;
        for (int i = 0; i < 200; ++i)
            records << Main(u"N"_qs + QString::number(i));
        Load(records);
        QScrollBar* bar = View()->verticalScrollBar();
        QVERIFY(bar->maximum() > 20);
        bar->setValue(bar->maximum() / 2);
        const int before = bar->value();
        const QModelIndex node = View()->indexAt(View()->viewport()->rect().center());
        QVERIFY(node.isValid());

        // Every move within 15 pixels of the edge scrolls one line.
        const int height = View()->viewport()->height();
        const QPoint edge(TextPoint(node).x(), down ? height - 5 : 5);
        QWindow* window = F->windowHandle();
        const QPoint edgeInWindow = InWindow(edge);
        FDragLoop->Script = [window, edgeInWindow] {
            for (int i = 0; i < 3; ++i)
                QTest::mouseMove(window, edgeInWindow + QPoint(i, 0));
            QTest::keyClick(window, Qt::Key_Escape);
        };
        const QPoint step(QApplication::startDragDistance() + 1, 0);
        QTest::mousePress(window, Qt::LeftButton, {}, InWindow(TextPoint(node)));
        QTest::mouseMove(window, InWindow(TextPoint(node) + step));
        QTest::mouseMove(window, InWindow(TextPoint(node) + 2 * step));
        FDragLoop->Script = nullptr;
        QCOMPARE(FDragLoop->Drags, 1);
        QCOMPARE(FDragLoop->Result, Qt::IgnoreAction);
        QCOMPARE(bar->value(), down ? before + 3 : before - 3);
        QTest::mouseRelease(window, Qt::LeftButton, {}, edgeInWindow);
        QVERIFY(!F->Document().IsModified());
    }

    void dropsFromElsewhereOrBesideTheNodesAreRefused() {
        LoadFive();
        Settings().FreeDragAndDropAllowed = true;
        MainTreeView().Select(Tree().NodeIndex(0));
        QWindow* window = F->windowHandle();
        const QPoint onD = InWindow(TextPoint(Tree().NodeIndex(3)));

        // A drag that another widget started, even one whose data looks like the tree's own.
        QLabel elsewhere(u"A"_qs);
        auto* drag = new QDrag(&elsewhere);
        auto* mime = Tree().mimeData({Tree().NodeIndex(0)});
        QVERIFY(mime);
        drag->setMimeData(mime);
        FDragLoop->Script = [window, onD] {
            QTest::mousePress(window, Qt::LeftButton, {}, onD - QPoint(0, 3));
            QTest::mouseMove(window, onD);
            QTest::mouseRelease(window, Qt::LeftButton, {}, onD);
        };
        QCOMPARE(FDragLoop->Run(*drag, Qt::CopyAction | Qt::MoveAction, Qt::MoveAction),
                 Qt::IgnoreAction);
        QVERIFY(!FDragLoop->EnterAccepted);
        QVERIFY(!FDragLoop->DropAccepted);
        QCOMPARE(Order(), u"ABCDE"_qs);

        // The tree's own drag, released below the last node.
        const QRect last = View()->visualRect(Tree().NodeIndex(4));
        const QPoint belowTheNodes(last.center().x(), last.bottom() + 3 * last.height());
        QVERIFY(belowTheNodes.y() < View()->viewport()->height());
        QVERIFY(DragWithMouse(Tree().NodeIndex(0), belowTheNodes));
        QVERIFY(FDragLoop->EnterAccepted);
        QVERIFY(!FDragLoop->MoveAccepted);
        QVERIFY(!FDragLoop->DropAccepted);
        QCOMPARE(Order(), u"ABCDE"_qs);
        QVERIFY(!F->Document().IsModified());
    }

    void pressOnATickBoxTicksAndArmsNoDrag_data() {
        QTest::addColumn<bool>("onTickBox");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("armed");
        QTest::newRow("tick box") << true << int(Qt::LeftButton) << false;
        QTest::newRow("text") << false << int(Qt::LeftButton) << true;
        QTest::newRow("text, middle button") << false << int(Qt::MiddleButton) << false;
    }
    void pressOnATickBoxTicksAndArmsNoDrag() {
        QFETCH(bool, onTickBox);
        QFETCH(int, button);
        QFETCH(bool, armed);
        LoadFive();
        const QModelIndex c = Tree().NodeIndex(2);
        const QPoint point = onTickBox ? TickBoxCentre(c) : TextPoint(c);
        QCOMPARE(View()->IsOnTickBox(point), onTickBox);
        // A press that armed a drag must not leave the next one armed.
        QTest::mousePress(View()->viewport(), Qt::LeftButton, {}, TextPoint(Tree().NodeIndex(0)));
        QTest::mouseRelease(View()->viewport(), Qt::LeftButton, {}, TextPoint(Tree().NodeIndex(0)));
        QVERIFY(View()->DragCanStart());

        const auto mouseButton = static_cast<Qt::MouseButton>(button);
        QTest::mousePress(View()->viewport(), mouseButton, {}, point);
        QCOMPARE(View()->DragCanStart(), armed);
        if (armed)
            QCOMPARE(View()->MouseDownPos(), point);
        QTest::mouseRelease(View()->viewport(), mouseButton, {}, point);
        const bool ticks = onTickBox && mouseButton == Qt::LeftButton;
        QCOMPARE(Tree().IsNodeChecked(2), ticks);
        QCOMPARE(CheckedPanel(), ticks ? u"Checked: 1"_qs : u"Checked: 0"_qs);

        // The same press, then the mouse moves on: only an armed press starts a drag.
        QWindow* window = F->windowHandle();
        const QPoint step(QApplication::startDragDistance() + 1, 0);
        const QPoint end = InWindow(point + 2 * step);
        const int drags = FDragLoop->Drags;
        FDragLoop->Script = [window, end] { QTest::mouseRelease(window, Qt::LeftButton, {}, end); };
        QTest::mousePress(window, mouseButton, {}, InWindow(point));
        QTest::mouseMove(window, InWindow(point + step));
        QTest::mouseMove(window, end);
        FDragLoop->Script = nullptr;
        QCOMPARE(FDragLoop->Drags - drags, armed ? 1 : 0);
        if (!armed)
            QTest::mouseRelease(window, mouseButton, {}, end);
        QCOMPARE(Order(), u"ABCDE"_qs);
    }
};

QTEST_MAIN(TestEditWiring)
#include "tst_editwiring.moc"
