#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UChannelTreeView.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UEditCommands.h"
#include "main/UEditName.h"
#include "main/UMain.h"
#include "main/USetProperty.h"
#include "settings/USettings.h"
#include "structure/UStructure.h"
#include "viewer/UMessages.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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

// Runs on the modal dialog that the next command opens.
void OnNextModalDialog(std::function<void(QDialog*)> act) {
    QTimer::singleShot(0, qApp, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(dialog);
    });
}

} // namespace

class TestEditWiring : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TfrmMain> FMain;

    TChannelTreeModel& Tree() const { return FMain->Tree(); }
    TChannelTreeView* View() const { return FMain->tvChannels; }
    QString CheckedPanel() const { return FMain->StatusPanels[1]->text(); }

    // Triggers a command as the menu would: only when it is enabled.
    bool Trigger(const QString& name) {
        FMain->UpdateActions();
        auto* action = FMain->findChild<QAction*>(name);
        if (!action || !action->isEnabled())
            return false;
        action->trigger();
        QCoreApplication::processEvents();
        return true;
    }

    void Load(const QList<TChannelRec>& records) {
        const QString path = FDir->filePath(QStringLiteral("work.dat"));
        QVERIFY(WriteChannelFile(path, records));
        FMain->Document().LoadChannelList(path);
        QVERIFY(!ChannelsModified());
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
        ResetSettings();
        SetChannelsModified(false);
        TDialogSeam::Install();
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        Settings().DVBViewerDataFolder = FDir->filePath(QStringLiteral("viewer")) + u'/';
        FMain = std::make_unique<TfrmMain>();
        FMain->tiEnabled->stop();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
    }

    void cleanup() {
        SetChannelsModified(false);
        FMain.reset();
        TDialogSeam::Uninstall();
        FDir.reset();
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
        QCOMPARE(FMain->EditCommands().KeepMovedChannelsChecked(), keep);
        TickByName(ticked);
        MainTreeView().Select(Tree().NodeIndex(RowOf(target)));

        QVERIFY(Trigger(command));
        QCOMPARE(Order(), order);
        QCOMPARE(Tree().ChannelAt(RowOf(u"B"_qs))->Name(), u"B"_qs);
        QCOMPARE(Tree().SubChannelsAt(RowOf(u"B"_qs)).size(), size_t(1)); // b moved along
        QVERIFY(NumberedInOrder());
        QVERIFY(ChannelsModified());
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
        QCOMPARE(ChannelsModified(), yes);
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
        OnNextModalDialog([&](QDialog* dialog) {
            dialogPos = dialog->pos();
            shownTitle = dialog->windowTitle();
            auto* edit = dialog->findChild<QLineEdit*>(u"edtName"_qs);
            QVERIFY(edit);
            QVERIFY(edit->text().isEmpty());
            edit->setText(u"News"_qs);
            auto* button = dialog->findChild<QPushButton*>(ok ? u"btnOk"_qs : u"btnCancel"_qs);
            QVERIFY(button);
            button->click();
        });

        QVERIFY(Trigger(command));
        QCOMPARE(shownTitle, title);
        QCOMPARE(dialogPos, FMain->pos() + QPoint(150, 200));
        const auto field = [root](const TChannel* c) { return root ? c->Root() : c->Category(); };
        const QString renamed = ok ? u"News"_qs : root ? u"Root"_qs : u"Cat"_qs;
        QCOMPARE(field(Tree().ChannelAt(0)), renamed);
        QCOMPARE(field(Tree().ChannelAt(1)), renamed);
        QCOMPARE(field(Tree().SubChannelsAt(1).front()), renamed); // B's audio track follows
        QCOMPARE(field(Tree().ChannelAt(2)), root ? u"Root"_qs : u"Cat"_qs);
        QCOMPARE(Tree().data(Tree().NodeIndex(1)).toString().contains(u"News"_qs), ok);
        QCOMPARE(ChannelsModified(), ok);
    }

    void editChannelNameRenamesTheSelectedAudioTrackOnly() {
        LoadFive();
        View()->expand(Tree().NodeIndex(1));
        const QModelIndex sub = Tree().SubIndex(1, 0);
        MainTreeView().Select(sub);
        QString shownText;
        OnNextModalDialog([&](QDialog* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>(u"edtName"_qs);
            QVERIFY(edit);
            shownText = edit->text();
            edit->setText(u"bb"_qs);
            auto* button = dialog->findChild<QPushButton*>(u"btnOk"_qs);
            QVERIFY(button);
            button->click();
        });

        QVERIFY(Trigger(u"actEditChannelName"_qs));
        QCOMPARE(shownText, u"b"_qs);
        QCOMPARE(Tree().SubChannelsAt(1).front()->Name(), u"bb"_qs);
        QCOMPARE(Tree().data(sub).toString(), u"bb"_qs);
        QCOMPARE(Tree().ChannelAt(1)->Name(), u"B"_qs);
        QVERIFY(ChannelsModified());
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
        OnNextModalDialog([&](QDialog* window) {
            shown = window->objectName();
            if (auto* property = qobject_cast<TfrmSetProperty*>(window))
                shownType = property->SetType();
            window->reject();
        });
        QVERIFY(Trigger(command));
        QCOMPARE(shown, dialog);
        QCOMPARE(shownType, setType);
        QVERIFY(!ChannelsModified()); // cancelled
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
            const QPoint onParent = TextPoint(Tree().NodeIndex(1));
            QVERIFY(View()->AcceptsDropAt(onParent));
            QVERIFY(View()->DropAt(onParent));
        } else {
            FMain->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(FMain.get()));
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
        QVERIFY(ChannelsModified());
        // The list follows: the new main channel comes first.
        const TChannels& list = FMain->Channels();
        QCOMPARE(list.IndexOf(formerMain), list.IndexOf(track) + 1);
    }

    void defaultAudioTrackIgnoresAMainNode() {
        LoadFive();
        MainTreeView().Select(Tree().NodeIndex(1));
        QVERIFY(Trigger(u"actDefaultAudioTrack"_qs));
        QCOMPARE(Tree().ChannelAt(1)->Name(), u"B"_qs);
        QVERIFY(!ChannelsModified());
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
        MainTreeView().Select(Tree().NodeIndex(RowOf(dragged)));
        const QPoint point = TextPoint(Tree().NodeIndex(RowOf(target)));

        QCOMPARE(View()->AcceptsDropAt(point), accepted);
        QCOMPARE(View()->DropAt(point), accepted);
        QCOMPARE(Order(), order);
        QVERIFY(NumberedInOrder());
        QCOMPARE(Ticked(), dragged); // the tick travels with its node
        QCOMPARE(ChannelsModified(), order != u"ABCDE"_qs);
        // The window's structure follows the move; it must be what a rebuild makes.
        TStructure rebuilt;
        rebuilt.UpdateStructure(Tree());
        QCOMPARE(StructureText(FMain->TheStructure()), StructureText(rebuilt));
    }

    void dropsFromElsewhereOrBesideTheNodesAreRefused() {
        LoadFive();
        Settings().FreeDragAndDropAllowed = true;
        MainTreeView().Select(Tree().NodeIndex(0));
        const QPoint onD = TextPoint(Tree().NodeIndex(3));
        QVERIFY(View()->AcceptsDropAt(onD));

        // No drag of this tree is under way: the event comes from somewhere else.
        QMimeData mime;
        mime.setText(u"A"_qs);
        QDragEnterEvent enter(onD, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(View()->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(QPointF(onD), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(View()->viewport(), &drop);
        QVERIFY(!drop.isAccepted());
        QCOMPARE(Order(), u"ABCDE"_qs);

        const QRect last = View()->visualRect(Tree().NodeIndex(4));
        const QPoint belowTheNodes(last.center().x(), last.bottom() + 3 * last.height());
        QVERIFY(belowTheNodes.y() < View()->viewport()->height());
        QVERIFY(!View()->AcceptsDropAt(belowTheNodes));
        QVERIFY(!View()->DropAt(belowTheNodes));
        QCOMPARE(Order(), u"ABCDE"_qs);
        QVERIFY(!ChannelsModified());
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
    }
};

QTEST_MAIN(TestEditWiring)
#include "tst_editwiring.moc"
