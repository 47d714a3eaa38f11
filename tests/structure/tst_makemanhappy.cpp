#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "icons/UIcons.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "structure/UHappyManView.h"
#include "structure/UMakeManHappy.h"
#include "structure/UStructure.h"
#include "ui/UMessages.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>

namespace {

TChannelRecBuilder Main(const char* name, const char* root, const char* category) {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .Root(QLatin1String(root))
        .Category(QLatin1String(category))
        .Video();
}

TChannelRecBuilder Sub(const char* name) {
    return TChannelRecBuilder().Name(QLatin1String(name)).SubChannel().Video();
}

// Texts of the runs of the preview in a colour, in text order.
QStringList TextsIn(const TStructureText& text, quint32 colour) {
    QStringList texts;
    for (int i = 0; i < text.RunCount(); ++i)
        if (text.Run(i).Colour == colour)
            texts << text.RunText(text.Run(i)).toString();
    return texts;
}

// What a test saw in the preview window while it was open.
struct TPreviewState {
    QString Text;
    QStringList Red;
    int ScrollTo = -2;
    int CaretLine = -2;
    bool AcceptEnabled = false;
    bool FindEnabled = false;
    bool RootIsBlueBold = false;
};

TPreviewState StateOf(TfrmMakeManHappy& window) {
    TPreviewState state;
    const TStructureText& text = Child<THappyManView>(&window, "reHappyMan")->Text();
    state.Text = text.Text().toString();
    state.Red = TextsIn(text, 0xFF0000);
    state.ScrollTo = window.ScrollTo();
    state.CaretLine = Child<THappyManView>(&window, "reHappyMan")->CaretLine();
    state.AcceptEnabled = Child<QPushButton>(&window, "btnAccept")->isEnabled();
    state.FindEnabled = Child<QPushButton>(&window, "btnFind")->isEnabled();
    state.RootIsBlueBold =
        text.RunCount() > 0 && text.Run(0).Colour == 0x0000FF && text.Run(0).Bold;
    return state;
}

} // namespace

class TestMakeManHappy : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    QString WorkFile(const QString& name = QStringLiteral("work.dat")) const {
        return F.Path(name);
    }
    TChannelTreeModel& Tree() const { return F->Tree(); }

    void Load(const QList<TChannelRec>& records) { QVERIFY(F.Load(WorkFile(), records)); }

    // first root one/cat1, root two/cat1, root one/cat2, root one/cat1 again; the second
    // and the fourth carry audio tracks.
    void LoadFour() {
        Load({Main("first", "one", "cat1"), Main("second", "two", "cat1"), Sub("second audio"),
              Main("third", "one", "cat2"), Main("fourth", "one", "cat1"), Sub("fourth audio"),
              Sub("fourth audio 2")});
    }

    // Opens the preview through the main window's command and runs the steps while it is
    // the modal window; it is closed afterwards whatever they did.
    bool RunPreview(const std::function<void(TfrmMakeManHappy&)>& steps) {
        const auto modal = WhenModal([&](QWidget* w) {
            auto* window = qobject_cast<TfrmMakeManHappy*>(w);
            QVERIFY(window);
            steps(*window);
            Child<QPushButton>(window, "btnClose")->click();
        });
        if (!F.Trigger(QStringLiteral("actMakeManHappy"),
                       {.UpdateActionsFirst = true, .ProcessEvents = false}))
            return false;
        return modal->Ran();
    }

    QStringList TreeOrder() const {
        QStringList names;
        for (int r = 0; r < Tree().TopCount(); ++r)
            names << Tree().ChannelAt(r)->Name();
        return names;
    }

    QImage FaceShown() const { return F.Child<QLabel>("StatusPanel0")->pixmap().toImage(); }
    static QImage Face(int index) { return HappyImage(index).pixmap(16, 16).toImage(); }

private Q_SLOTS:
    void init() { QVERIFY(F.Init()); }
    void cleanup() { F.Cleanup(); }

    void structurePaneShowsRootsCategoriesAndChannels() {
        LoadFour();
        QTreeView* pane = F.Child<QTreeView>("tvStructure");
        QAbstractItemModel* model = pane->model();
        QVERIFY(model);
        QCOMPARE(model->rowCount(), 2);
        const QModelIndex one = model->index(0, 0);
        const QModelIndex cat1 = model->index(0, 0, one);
        QCOMPARE(one.data().toString(), u"one"_qs);
        QCOMPARE(one.data(TStructureModel::NodeImageRole).toInt(), 10);
        QCOMPARE(cat1.data().toString(), u"cat1"_qs);
        QCOMPARE(cat1.data(TStructureModel::NodeImageRole).toInt(), 11);
        QCOMPARE(model->index(1, 0, cat1).data().toString(), u"[3] fourth"_qs);
        // Sub-channels are no part of the structure.
        QCOMPARE(model->rowCount(cat1), 2);
        // The first root is open all the way down and selected; the second stays closed.
        QVERIFY(pane->isExpanded(one));
        QVERIFY(pane->isExpanded(cat1));
        QVERIFY(pane->isExpanded(model->index(1, 0, one)));
        QVERIFY(!pane->isExpanded(model->index(1, 0)));
        QCOMPARE(pane->currentIndex(), one);
        QVERIFY(F->IsNotHappy());
        QCOMPARE(FaceShown(), Face(1));
    }

    void previewMarksTheMovesAndAcceptReordersKeepingTicks() {
        LoadFour();
        Tree().CheckNode(1); // second
        Tree().CheckNode(2); // third
        // The preview needs the structure pane: it switches it on.
        QVERIFY(F.Trigger(QStringLiteral("actViewChannelInfo"), {.ProcessEvents = false}));
        QVERIFY(!F.Child<QTreeView>("tvStructure")->isVisible());

        TPreviewState before, after;
        TDialogSeam::AddAnswer(true);
        QVERIFY(RunPreview([&](TfrmMakeManHappy& window) {
            before = StateOf(window);
            Child<QPushButton>(&window, "btnAccept")->click();
            after = StateOf(window);
        }));

        QVERIFY(F.Child<QAction>("actViewStructure")->isChecked());
        QVERIFY(F.Child<QTreeView>("tvStructure")->isVisible());
        QCOMPARE(before.Text, u"one\r\n   cat1\r\n      [0] first\r\n      [1] fourth   [3]\r\n"
                              u"   cat2\r\n      [2] third\r\n"
                              u"two\r\n   cat1\r\n      [3] second   [1]\r\n"_qs);
        QCOMPARE(before.Red, (QStringList{u"   [3]"_qs, u"   [1]"_qs}));
        QVERIFY(before.RootIsBlueBold);
        QCOMPARE(before.ScrollTo, 3);
        QCOMPARE(before.CaretLine, 3);
        QVERIFY(before.AcceptEnabled);
        QVERIFY(before.FindEnabled);

        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{u"Are you sure you want to reorder channels?"_qs});
        QVERIFY(after.Red.isEmpty());
        QCOMPARE(after.ScrollTo, -1);
        QVERIFY(!after.AcceptEnabled);
        QVERIFY(!after.FindEnabled);
        QVERIFY(!F->IsNotHappy());
        QCOMPARE(FaceShown(), Face(0));
        QVERIFY(F->Document().IsModified());

        QCOMPARE(TreeOrder(), (QStringList{u"first"_qs, u"fourth"_qs, u"third"_qs, u"second"_qs}));
        QCOMPARE(Tree().CheckedCount(), 2);
        QVERIFY(!Tree().IsNodeChecked(0) && !Tree().IsNodeChecked(1));
        QVERIFY(Tree().IsNodeChecked(2) && Tree().IsNodeChecked(3));
        QVERIFY(Tree().ChannelAt(2)->IsChecked && Tree().ChannelAt(3)->IsChecked);
        QVERIFY(!F.Child<TChannelTreeView>("tvChannels")->selectionModel()->hasSelection());

        // The saved list follows the tree, every audio track right after its own channel.
        const QString saved = WorkFile(QStringLiteral("saved.dat"));
        F->Document().SaveChannelList(saved, false);
        TChannels list;
        list.LoadFromFile(saved);
        QStringList names;
        for (int i = 0; i < list.Count(); ++i)
            names << list.Channel(i)->Name() + (list.Channel(i)->IsSubChannel() ? u"*"_qs : u""_qs);
        QCOMPARE(names,
                 (QStringList{u"first"_qs, u"fourth"_qs, u"fourth audio*"_qs, u"fourth audio 2*"_qs,
                              u"third"_qs, u"second"_qs, u"second audio*"_qs}));
    }

    void answeringNoChangesNothing() {
        LoadFour();
        TDialogSeam::AddAnswer(false);
        TPreviewState state;
        QVERIFY(RunPreview([&](TfrmMakeManHappy& window) {
            Child<QPushButton>(&window, "btnAccept")->click();
            state = StateOf(window);
        }));
        QCOMPARE(TDialogSeam::ShownTexts().size(), 1);
        QCOMPARE(state.Red.size(), 2);
        QVERIFY(state.AcceptEnabled);
        QCOMPARE(TreeOrder(), (QStringList{u"first"_qs, u"second"_qs, u"third"_qs, u"fourth"_qs}));
        QVERIFY(!F->Document().IsModified());
        QVERIFY(F->IsNotHappy());
    }

    void groupedListHasNothingToAcceptOrFind() {
        // Roots that differ only in case are one group: this list is grouped already.
        Load({Main("a", "One", "x"), Main("b", "ONE", "X"), Main("c", "two", "x")});
        TPreviewState state;
        QVERIFY(RunPreview([&](TfrmMakeManHappy& window) { state = StateOf(window); }));
        QCOMPARE(state.Text,
                 u"One\r\n   x\r\n      [0] a\r\n      [1] b\r\ntwo\r\n   x\r\n      [2] c\r\n"_qs);
        QVERIFY(state.Red.isEmpty());
        QCOMPARE(state.ScrollTo, -1);
        QVERIFY(!state.AcceptEnabled);
        QVERIFY(!state.FindEnabled);
        QVERIFY(!F->IsNotHappy());
        QCOMPARE(FaceShown(), Face(0));
    }

    void findCopyAndPlaceInTheSettings() {
        LoadFour();
        Settings().frmMakeManHappyLeft = 40;
        Settings().frmMakeManHappyTop = 50;
        Settings().frmMakeManHappyClientWidth = 500;
        Settings().frmMakeManHappyClientHeight = 300;
        int caretAfterFind = -1;
        QRect geometry;
        QString copied;
        QVERIFY(RunPreview([&](TfrmMakeManHappy& window) {
            geometry = window.geometry();
            Child<THappyManView>(&window, "reHappyMan")
                ->PutCaretOnLine(Child<THappyManView>(&window, "reHappyMan")->LineCount() - 1);
            Child<QPushButton>(&window, "btnFind")->click();
            caretAfterFind = Child<THappyManView>(&window, "reHappyMan")->CaretLine();
            Child<QPushButton>(&window, "btnCopy")->click();
            copied = QGuiApplication::clipboard()->text();
            window.move(60, 70);
            window.resize(520, 330);
        }));
        QCOMPARE(caretAfterFind, 3);
        QCOMPARE(copied, F->TheStructure().DisplayHappyMan().Text().toString());
        QVERIFY(copied.startsWith(u"one\r\n   cat1\r\n"_qs));
        QCOMPARE(geometry.size(), QSize(500, 300));
        QCOMPARE(Settings().frmMakeManHappyClientWidth, 520);
        QCOMPARE(Settings().frmMakeManHappyClientHeight, 330);
    }

    void escapeClosesTheWindow() {
        LoadFour();
        bool closedByEscape = false;
        const auto modal = WhenModal([&](QWidget* window) {
            QVERIFY(qobject_cast<TfrmMakeManHappy*>(window));
            QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Escape);
            closedByEscape = !window->isVisible();
        });
        QVERIFY(F.Trigger(QStringLiteral("actMakeManHappy"), {.ProcessEvents = false}));
        QVERIFY(closedByEscape);
    }
};

QTEST_MAIN(TestMakeManHappy)
#include "tst_makemanhappy.moc"
