#include "channels/UChannelInfo.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/GuiTest.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "selection/UCheckCategories.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "selection/USearch.h"
#include "selection/USelectionHost.h"
#include "settings/USettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <memory>

namespace {

QString Ticked(const TChannelTreeModel& model) {
    QStringList names;
    for (int row = 0; row < model.TopCount(); ++row)
        if (model.IsNodeChecked(row))
            names.append(model.ChannelAt(row)->Name());
    return names.join(QLatin1Char(' '));
}

// A channel tree as the main window has one: list, model and a view whose selection the
// shared commands use.
struct TTreeFixture {
    TChannels List;
    TChannelTreeModel Model;
    QTreeView View;

    TTreeFixture() {
        View.setModel(&Model);
        View.resize(300, 200);
    }
    void Build() { Model.DisplayTreeView(List); }
    TChannelTree Tree() { return {&Model, View.selectionModel()}; }
    void Select(int row, int sub = -1) {
        Tree().Select(sub < 0 ? Model.NodeIndex(row) : Model.SubIndex(row, sub));
    }
    int SelectedRow() {
        const QModelIndex node = Tree().SelectedNode();
        return node.isValid() ? Model.GetActualChannelNo(node) : -1;
    }
};

TChannelRecBuilder Channel(const QString& name) {
    return TChannelRecBuilder()
        .Name(name)
        .Root(QStringLiteral("Astra"))
        .Category(QStringLiteral("News"));
}

QPoint TickBoxCentre(QTreeWidget* tree, QTreeWidgetItem* item) {
    QStyleOptionViewItem option;
    option.initFrom(tree);
    option.rect = tree->visualItemRect(item);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return tree->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree)
        .center();
}

// Key presses as the table columns hold them: key and modifiers in one number.
QList<int> Presses(std::initializer_list<QKeyCombination> keys) {
    QList<int> presses;
    for (const QKeyCombination key : keys)
        presses.append(key.toCombined());
    return presses;
}

// Presses the keys one after the other through the window's own handle, as the window
// system delivers them, and gives what `after` reads after each press.
template <typename T>
QList<T> PressEach(QWidget& window, const QList<int>& presses, const std::function<T()>& after) {
    QList<T> seen;
    for (const int press : presses) {
        const QKeyCombination key = QKeyCombination::fromCombined(press);
        QTest::keyClick(window.windowHandle(), key.key(), key.keyboardModifiers());
        seen.append(after());
    }
    return seen;
}

// Ten channels for the jumps: each property several times, so that every key can land on
// a channel more than once in a row.
//   row:        0   1   2   3   4   5   6   7   8   9
//   video:      tv  r   tv  r   tv  tv  r   tv  r   tv
//   encrypted:  .   .   x   .   .   x   .   .   x   .
//   bookmark:   .   x   .   .   x   .   .   x   .   .
//   ticked:     .   .   .   x   .   .   x   .   .   .
void BuildJumpList(TTreeFixture& f) {
    const bool video[] = {true, false, true, false, true, true, false, true, false, true};
    for (int row = 0; row < 10; ++row)
        f.List.Add(Channel(QStringLiteral("c%1").arg(row))
                       .Video(video[row])
                       .Encrypted(row == 2 || row == 5 || row == 8)
                       .Channel());
    f.Build();
    for (const int row : {1, 4, 7})
        f.Model.ChannelAt(row)->IsBookMarked = true;
    for (const int row : {3, 6})
        f.Model.CheckNode(row);
}

} // namespace

class TestSelectionWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TTreeFixture> FMain;

    TTreeFixture& MainFixture() { return *FMain; }

private Q_SLOTS:
    void init() {
        ResetSettings();
        SetSelectionHost({});
        FMain = std::make_unique<TTreeFixture>();
    }
    void cleanup() {
        SetActiveTreeView({});
        SetMainTreeView({});
        SetMainGoToWindow(nullptr);
        FMain.reset();
    }

    void checkingWindowTicksByClickAndSpaceAndResetsAfterCheck();
    void checkingWindowLanguageBoxAndPlace();
    void checkingWindowModalInstanceActsOnItsTreeOnly();
    void checkingWindowPassesJumpKeysOn();
    void categoriesWindowChecksTheChosenRootOnly();
    void goToButtonsMatchWhatAJumpFinds();
    void goToStartsFromTheParentOfASubChannel();
    void goToCheckedBoxAndF12();
    void searchSelectsFirstMatchAndSteps();
    void searchIgnoresCaseOfAsciiLettersOnly();
    void jumpKeysMoveTheSelectionAtEveryPress_data();
    void jumpKeysMoveTheSelectionAtEveryPress();
    void goToF12TicksAtEveryPressInAModalInstance();
    void searchKeysStepAtEveryPress();
};

void TestSelectionWindows::checkingWindowTicksByClickAndSpaceAndResetsAfterCheck() {
    TTreeFixture& f = MainFixture();
    f.List.Add(Channel(QStringLiteral("sat")).TunerType(1).Video().VideoFormat(0).Channel());
    f.List.Add(Channel(QStringLiteral("h264")).TunerType(0).Video().VideoFormat(1).Channel());
    f.List.Add(Channel(QStringLiteral("cable")).TunerType(0).Video().VideoFormat(0).Channel());
    f.Build();
    SetMainTreeView(f.Tree());

    TfrmChecking window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTreeWidget* tree = Child<QTreeWidget>(&window, "tvChecking");
    QCOMPARE(tree->topLevelItemCount(), 10);
    for (int g = 0; g < 10; ++g)
        QCOMPARE(tree->topLevelItem(g)->isExpanded(), g < 5);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("TV/Radio"));
    QVERIFY(!Child<QPushButton>(&window, "btnCheck")->isEnabled());
    QVERIFY(!Child<QPushButton>(&window, "btnUncheck")->isEnabled());

    // The items carry the property numbers, not their positions.
    QTreeWidgetItem* satellite = window.ItemOf(cpSatellite);
    QTreeWidgetItem* h264 = window.ItemOf(cpVideoH264);
    QVERIFY(satellite && h264);
    QCOMPARE(satellite->text(0), QStringLiteral("Satellite (DVB-S/S2)"));
    QCOMPARE(h264->text(0), QStringLiteral("H.264"));

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, TickBoxCentre(tree, satellite));
    QCOMPARE(satellite->checkState(0), Qt::Checked);
    QVERIFY(Child<QPushButton>(&window, "btnCheck")->isEnabled());
    QVERIFY(Child<QPushButton>(&window, "btnUncheck")->isEnabled());

    tree->setFocus();
    tree->setCurrentItem(h264);
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(h264->checkState(0), Qt::Checked);
    // A group has no tick: Space there ticks nothing.
    tree->setCurrentItem(tree->topLevelItem(1));
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(tree->topLevelItem(1)->data(0, Qt::CheckStateRole), QVariant());
    QCOMPARE(window.CheckedProperties(), PropertyBit(cpSatellite) | PropertyBit(cpVideoH264));

    QTest::mouseClick(Child<QPushButton>(&window, "btnCheck"), Qt::LeftButton);
    QCOMPARE(Ticked(f.Model), QStringLiteral("sat h264"));
    QCOMPARE(window.CheckedProperties(), quint64(0));
    QCOMPARE(satellite->checkState(0), Qt::Unchecked);
    QVERIFY(!Child<QPushButton>(&window, "btnCheck")->isEnabled());
    QVERIFY(!Child<QPushButton>(&window, "btnUncheck")->isEnabled());

    // Unticking by a click again leaves the buttons disabled when nothing else is ticked.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, TickBoxCentre(tree, satellite));
    QVERIFY(Child<QPushButton>(&window, "btnUncheck")->isEnabled());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, TickBoxCentre(tree, satellite));
    QCOMPARE(satellite->checkState(0), Qt::Unchecked);
    QVERIFY(!Child<QPushButton>(&window, "btnUncheck")->isEnabled());
}

void TestSelectionWindows::checkingWindowLanguageBoxAndPlace() {
    TTreeFixture& f = MainFixture();
    f.List.Add(Channel(QStringLiteral("deu")).Video().Language("deu").Channel());
    f.List.Add(Channel(QStringLiteral("none")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("DEU")).Video().Language("DEU").Channel());
    f.Build();
    SetMainTreeView(f.Tree());
    Settings().frmCheckingLeft = 40;
    Settings().frmCheckingTop = 50;
    Settings().frmCheckingClientWidth = 333;
    Settings().frmCheckingClientHeight = 444;

    TfrmChecking window;
    QList<bool> shown;
    connect(&window, &TfrmChecking::VisibilityChanged, this,
            [&shown](bool visible) { shown.append(visible); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(333, 444));
    QVERIFY(Settings().frmCheckingVisible);

    // Ticked with an empty box: the channels without a code.
    Child<QCheckBox>(&window, "chbLanguage")->click();
    QVERIFY(Child<QPushButton>(&window, "btnCheck")->isEnabled());
    Child<QPushButton>(&window, "btnCheck")->click();
    QCOMPARE(Ticked(f.Model), QStringLiteral("none"));
    QVERIFY(!Child<QCheckBox>(&window, "chbLanguage")->isChecked());

    Child<QCheckBox>(&window, "chbLanguage")->click();
    QTest::keyClicks(Child<QLineEdit>(&window, "edtLanguage"), QStringLiteral("DEU"));
    Child<QPushButton>(&window, "btnCheck")->click();
    QCOMPARE(Ticked(f.Model), QStringLiteral("deu none DEU"));
    QVERIFY(Child<QLineEdit>(&window, "edtLanguage")->text().isEmpty());

    window.move(70, 80);
    window.resize(350, 460);
    Child<QPushButton>(&window, "btnClose")->click();
    QVERIFY(!window.isVisible());
    QVERIFY(!Settings().frmCheckingVisible);
    QCOMPARE(Settings().frmCheckingClientWidth, 350);
    QCOMPARE(Settings().frmCheckingClientHeight, 460);
    QCOMPARE(shown, QList<bool>({true, false}));
}

void TestSelectionWindows::checkingWindowModalInstanceActsOnItsTreeOnly() {
    TTreeFixture& f = MainFixture();
    f.List.Add(Channel(QStringLiteral("mainTV")).Video().Channel());
    f.Build();
    SetMainTreeView(f.Tree());
    TTreeFixture restore;
    restore.List.Add(Channel(QStringLiteral("restoreTV")).Video().Channel());
    restore.List.Add(Channel(QStringLiteral("restoreRadio")).Video(false).Channel());
    restore.Build();
    SetActiveTreeView(restore.Tree());
    Settings().frmCheckingVisible = true;

    TfrmChecking window;
    const auto ran = WhenModal([&window](QWidget* modal) {
        QCOMPARE(modal, &window);
        window.ItemOf(cpTV)->setCheckState(0, Qt::Checked);
        Child<QPushButton>(&window, "btnCheck")->click();
    });
    window.ShowModal();
    QVERIFY(ran->Ran());

    QCOMPARE(Ticked(restore.Model), QStringLiteral("restoreTV"));
    QCOMPARE(Ticked(f.Model), QString());
    // The main window's own instance is remembered as it was.
    QVERIFY(Settings().frmCheckingVisible);
}

void TestSelectionWindows::checkingWindowPassesJumpKeysOn() {
    TTreeFixture& f = MainFixture();
    for (const char* name : {"a", "b", "c"})
        f.List.Add(Channel(QLatin1String(name)).Video().Channel());
    f.Build();
    f.Model.ChannelAt(2)->IsBookMarked = true;
    SetMainTreeView(f.Tree());
    f.Select(0);

    QList<int> keys;
    TSelectionHost host;
    host.FormKeyDown = [&keys](QKeyEvent* event) {
        keys.append(event->key());
        return event->key() == Qt::Key_F4;
    };
    SetSelectionHost(host);
    TfrmChecking window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Child<QTreeWidget>(&window, "tvChecking")->setFocus();
    QTest::keyClick(Child<QTreeWidget>(&window, "tvChecking"), Qt::Key_F4);
    // The tree does not take F9, so the key travels on up to the window.
    QTest::keyClick(Child<QTreeWidget>(&window, "tvChecking"), Qt::Key_F9);
    QTest::keyClick(Child<QLineEdit>(&window, "edtLanguage"), Qt::Key_X);
    // Each key reaches the main window once, whatever widget it passed through.
    QCOMPARE(keys, QList<int>({Qt::Key_F4, Qt::Key_F9, Qt::Key_X}));
    QCOMPARE(Child<QLineEdit>(&window, "edtLanguage")->text(), QStringLiteral("x"));
    // Esc does not close this window.
    QTest::keyClick(Child<QTreeWidget>(&window, "tvChecking"), Qt::Key_Escape);
    QVERIFY(window.isVisible());

    // Without a main window the jump keys still jump.
    SetSelectionHost({});
    QTest::keyClick(Child<QTreeWidget>(&window, "tvChecking"), Qt::Key_F4);
    QCOMPARE(f.SelectedRow(), 2);
}

void TestSelectionWindows::categoriesWindowChecksTheChosenRootOnly() {
    TTreeFixture& f = MainFixture();
    const auto add = [&f](const char* root, const char* category, const char* name) {
        f.List.Add(TChannelRecBuilder()
                       .Root(QLatin1String(root))
                       .Category(QLatin1String(category))
                       .Name(QLatin1String(name))
                       .Channel());
    };
    add("Hotbird", "News", "h1");
    add("astra", "Sport", "a1");
    add("Astra", "news", "a2");
    add("ASTRA", "Music", "a3");
    add("Hotbird", "Sport", "h2");
    f.Build();
    SetMainTreeView(f.Tree());
    Settings().frmCheckCategoriesClientWidth = 300;
    Settings().frmCheckCategoriesClientHeight = 320;

    TfrmCheckCategories window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(300, 320));
    QCOMPARE(Child<QComboBox>(&window, "cboRoot")->count(), 2);
    QCOMPARE(Child<QComboBox>(&window, "cboRoot")->itemText(0), QStringLiteral("Hotbird"));
    QCOMPARE(Child<QComboBox>(&window, "cboRoot")->itemText(1), QStringLiteral("astra"));

    Child<QComboBox>(&window, "cboRoot")->setCurrentIndex(1);
    QTreeWidget* tree = Child<QTreeWidget>(&window, "tvCategories");
    QStringList shown;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        shown.append(tree->topLevelItem(i)->text(0));
    QCOMPARE(shown, QStringList({QStringLiteral("Music"), QStringLiteral("news"),
                                 QStringLiteral("Sport")}));
    QVERIFY(!Child<QPushButton>(&window, "btnCheck")->isEnabled());

    // Shift+Down ticks the node being left and moves on; Space ticks the node itself.
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(1));
    QTest::keyClick(tree, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(tree->topLevelItem(1)->checkState(0), Qt::Checked);
    QCOMPARE(tree->currentItem(), tree->topLevelItem(2));
    QVERIFY(Child<QPushButton>(&window, "btnCheck")->isEnabled());
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(tree->topLevelItem(2)->checkState(0), Qt::Checked);

    Child<QPushButton>(&window, "btnCheck")->click();
    // "news" and "Sport" of the Astra root; Hotbird's News and Sport are not touched.
    QCOMPARE(Ticked(f.Model), QStringLiteral("a1 a2"));
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        QCOMPARE(tree->topLevelItem(i)->checkState(0), Qt::Unchecked);
    QVERIFY(!Child<QPushButton>(&window, "btnCheck")->isEnabled());

    tree->topLevelItem(1)->setCheckState(0, Qt::Checked);
    Child<QPushButton>(&window, "btnUncheck")->click();
    QCOMPARE(Ticked(f.Model), QStringLiteral("a1"));

    window.move(10, 20);
    Child<QPushButton>(&window, "btnClose")->click();
    QCOMPARE(Settings().frmCheckCategoriesLeft, 10);
    QCOMPARE(Settings().frmCheckCategoriesTop, 20);
}

void TestSelectionWindows::goToButtonsMatchWhatAJumpFinds() {
    TTreeFixture& f = MainFixture();
    // tv, radio, encrypted tv, bookmarked radio, ticked tv, encrypted radio
    f.List.Add(Channel(QStringLiteral("c0")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("c1")).Video(false).Channel());
    f.List.Add(Channel(QStringLiteral("c2")).Video().Encrypted().Channel());
    f.List.Add(Channel(QStringLiteral("c3")).Video(false).Channel());
    f.List.Add(Channel(QStringLiteral("c4")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("c5")).Video(false).Encrypted().Channel());
    f.Build();
    f.Model.ChannelAt(3)->IsBookMarked = true;
    f.Model.CheckNode(4);
    SetMainTreeView(f.Tree());

    TfrmGoTo window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Nothing selected: nothing to jump from.
    for (int kind = 0; kind < JumpKindCount; ++kind)
        QVERIFY(!window.JumpButton(kind)->isEnabled());

    for (int start = 0; start < f.Model.TopCount(); ++start) {
        for (int kind = 0; kind < JumpKindCount; ++kind) {
            f.Select(start);
            window.SetEnabledControls();
            const bool enabled = window.JumpButton(kind)->isEnabled();
            window.JumpClick(kind);
            const bool moved = f.SelectedRow() != start;
            QVERIFY2(enabled == moved,
                     qPrintable(QStringLiteral("start %1 kind %2").arg(start).arg(kind)));
        }
    }

    // From the last channel every "next" button is off and F4 does nothing: no wrap.
    f.Select(5);
    window.SetEnabledControls();
    for (int kind = 1; kind < JumpKindCount; kind += 2)
        QVERIFY(!window.JumpButton(kind)->isEnabled());
    QTest::keyClick(&window, Qt::Key_F4);
    QCOMPARE(f.SelectedRow(), 5);
    QTest::keyClick(&window, Qt::Key_F3);
    QCOMPARE(f.SelectedRow(), 3);
    QVERIFY(!Child<QPushButton>(&window, "btnPrevBookmark")->isEnabled());
    QVERIFY(!Child<QPushButton>(&window, "btnNextBookmark")->isEnabled());
    QCOMPARE(Child<QPushButton>(&window, "btnNextBookmark")->text(), QStringLiteral("F4"));
    QCOMPARE(Child<QPushButton>(&window, "btnPrevTV")->text(), QStringLiteral("Ctrl+F7"));
}

void TestSelectionWindows::goToStartsFromTheParentOfASubChannel() {
    TTreeFixture& f = MainFixture();
    f.List.Add(Channel(QStringLiteral("a")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("b")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("b-track")).SubChannel().Video().Channel());
    f.List.Add(Channel(QStringLiteral("c")).Video().Channel());
    f.Build();
    SetMainTreeView(f.Tree());
    f.View.expandAll();

    TfrmGoTo window;
    window.SetCheckedBoxVisible(true);
    f.Select(1, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(Child<QPushButton>(&window, "btnPrevTV")->isEnabled());
    QVERIFY(Child<QPushButton>(&window, "btnNextTV")->isEnabled());
    // The tick box is for main channels only.
    QVERIFY(!Child<QCheckBox>(&window, "chbChecked")->isEnabled());

    Child<QPushButton>(&window, "btnNextTV")->click();
    const QModelIndex landed = f.Tree().SelectedNode();
    QVERIFY(TChannelTreeModel::IsTopLevel(landed));
    QCOMPARE(landed.row(), 2);

    f.Select(1, 0);
    Child<QPushButton>(&window, "btnPrevTV")->click();
    QCOMPARE(f.Tree().SelectedNode(), f.Model.NodeIndex(0));
    QVERIFY(Child<QCheckBox>(&window, "chbChecked")->isEnabled());
}

void TestSelectionWindows::goToCheckedBoxAndF12() {
    TTreeFixture& f = MainFixture();
    for (const char* name : {"a", "b", "c"})
        f.List.Add(Channel(QLatin1String(name)).Video().Channel());
    f.Build();
    SetMainTreeView(f.Tree());
    f.Model.CheckNode(1);
    f.Select(1);
    Settings().frmGoToLeft = 30;
    Settings().frmGoToTop = 40;

    // The main window's own instance: no tick box, F12 ticks nothing.
    TfrmGoTo own;
    own.SetCheckedBoxVisible(false);
    SetMainGoToWindow(&own);
    own.show();
    QVERIFY(QTest::qWaitForWindowExposed(&own));
    QVERIFY(Settings().frmGoToVisible);
    QVERIFY(!Child<QCheckBox>(&own, "chbChecked")->isVisible());
    QTest::keyClick(&own, Qt::Key_F12);
    QCOMPARE(Ticked(f.Model), QStringLiteral("b"));

    // A tick made elsewhere reaches the buttons through UpdateGoToWindow.
    QVERIFY(!Child<QPushButton>(&own, "btnNextChecked")->isEnabled());
    f.Model.CheckNode(2);
    UpdateGoToWindow();
    QVERIFY(Child<QPushButton>(&own, "btnNextChecked")->isEnabled());
    Child<QPushButton>(&own, "btnClose")->click();
    QVERIFY(!Settings().frmGoToVisible);
    f.Model.UncheckNode(2);

    // Another window's modal instance shows the box; F12 ticks and unticks by it, and the
    // remembered visibility of the main window's instance stays as it was.
    Settings().frmGoToVisible = true;
    TfrmGoTo modal;
    modal.SetCheckedBoxVisible(true);
    const auto ran = WhenModal([&modal, &f](QWidget*) {
        QVERIFY(Child<QCheckBox>(&modal, "chbChecked")->isVisible());
        QVERIFY(Child<QCheckBox>(&modal, "chbChecked")->isChecked());
        QTest::keyClick(&modal, Qt::Key_F12);
        QCOMPARE(Ticked(f.Model), QString());
        QVERIFY(!Child<QCheckBox>(&modal, "chbChecked")->isChecked());
        QTest::keyClick(&modal, Qt::Key_F4 /* no bookmark: stays */);
        QTest::keyClick(&modal, Qt::Key_F6 /* none ticked ahead: stays */);
        QCOMPARE(f.SelectedRow(), 1);
        Child<QCheckBox>(&modal, "chbChecked")->click();
        QCOMPARE(Ticked(f.Model), QStringLiteral("b"));
        QTest::keyClick(&modal, Qt::Key_F8, Qt::ControlModifier);
        QCOMPARE(f.SelectedRow(), 2);
        // The box follows the node landed on, without ticking it.
        QVERIFY(!Child<QCheckBox>(&modal, "chbChecked")->isChecked());
        QCOMPARE(Ticked(f.Model), QStringLiteral("b"));
    });
    modal.ShowModal();
    QVERIFY(ran->Ran());
    QVERIFY(Settings().frmGoToVisible);
}

void TestSelectionWindows::searchSelectsFirstMatchAndSteps() {
    TTreeFixture& f = MainFixture();
    f.List.Add(Channel(QStringLiteral("Das Erste")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("ZDF")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("Erste HD")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("arte")).Video().Channel());
    f.Build();
    SetMainTreeView(f.Tree());
    f.Model.CheckNode(2);
    f.Select(3);
    Settings().frmSearchLeft = 15;
    Settings().frmSearchTop = 25;

    TfrmSearch window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.pos(), QPoint(15, 25));
    QVERIFY(Child<QCheckBox>(&window, "chbIgnoreCase")->isChecked());
    // All texts empty: every channel matches, from the last one only backwards.
    QVERIFY(Child<QPushButton>(&window, "btnPrev")->isEnabled());
    QVERIFY(!Child<QPushButton>(&window, "btnNext")->isEnabled());

    // The first channel of the tree is a match too.
    QTest::keyClicks(Child<QLineEdit>(&window, "edtChannelName"), QStringLiteral("rste"));
    QCOMPARE(f.SelectedRow(), 0);
    QVERIFY(!Child<QPushButton>(&window, "btnPrev")->isEnabled());
    QVERIFY(Child<QPushButton>(&window, "btnNext")->isEnabled());
    QVERIFY(!Child<QCheckBox>(&window, "chbChecked")->isChecked());

    QTest::keyClick(Child<QLineEdit>(&window, "edtChannelName"), Qt::Key_F8);
    QCOMPARE(f.SelectedRow(), 2);
    QVERIFY(
        Child<QCheckBox>(&window, "chbChecked")->isChecked()); // shows the tick, changes nothing
    QCOMPARE(Ticked(f.Model), QStringLiteral("Erste HD"));
    QVERIFY(!Child<QPushButton>(&window, "btnNext")->isEnabled());
    QTest::keyClick(Child<QLineEdit>(&window, "edtChannelName"), Qt::Key_F8);
    QCOMPARE(f.SelectedRow(), 2);

    QTest::keyClick(Child<QLineEdit>(&window, "edtChannelName"), Qt::Key_F12);
    QCOMPARE(Ticked(f.Model), QString());
    QTest::keyClick(Child<QLineEdit>(&window, "edtChannelName"), Qt::Key_F7);
    QCOMPARE(f.SelectedRow(), 0);

    // With all texts empty Next steps one channel.
    Child<QLineEdit>(&window, "edtChannelName")->clear();
    QCOMPARE(f.SelectedRow(), 0);
    Child<QPushButton>(&window, "btnNext")->click();
    QCOMPARE(f.SelectedRow(), 1);
    Child<QPushButton>(&window, "btnNext")->click();
    QCOMPARE(f.SelectedRow(), 2);

    // Nothing matches: the selection stays and both buttons are off.
    Child<QLineEdit>(&window, "edtRoot")->setText(QStringLiteral("Hotbird"));
    QCOMPARE(f.SelectedRow(), 2);
    QVERIFY(!Child<QPushButton>(&window, "btnPrev")->isEnabled());
    QVERIFY(!Child<QPushButton>(&window, "btnNext")->isEnabled());

    window.move(35, 45);
    QTest::keyClick(Child<QLineEdit>(&window, "edtRoot"), Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(Settings().frmSearchLeft, 35);
    QCOMPARE(Settings().frmSearchTop, 45);

    // Shown again: the texts start empty.
    window.show();
    QVERIFY(Child<QLineEdit>(&window, "edtRoot")->text().isEmpty());
}

void TestSelectionWindows::searchIgnoresCaseOfAsciiLettersOnly() {
    TTreeFixture& f = MainFixture();
    f.List.Add(Channel(QStringLiteral("first")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("\u00e9cole TV")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("\u00c9COLE TV")).Video().Channel());
    f.List.Add(Channel(QStringLiteral("news")).Video().Channel());
    f.Build();
    SetMainTreeView(f.Tree());
    f.Select(0);

    TfrmSearch window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Child<QLineEdit>(&window, "edtChannelName")->setText(QStringLiteral("\u00c9cole"));
    QCOMPARE(f.SelectedRow(), 2); // only the capital form
    QVERIFY(!Child<QPushButton>(&window, "btnPrev")->isEnabled());

    Child<QLineEdit>(&window, "edtChannelName")->setText(QStringLiteral("NEWS"));
    QCOMPARE(f.SelectedRow(), 3);
    Child<QCheckBox>(&window, "chbIgnoreCase")->click();
    f.Select(0);
    window.RefreshButtons();
    QVERIFY(!Child<QPushButton>(&window, "btnNext")->isEnabled());
}

void TestSelectionWindows::jumpKeysMoveTheSelectionAtEveryPress_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("presses");
    QTest::addColumn<QList<int>>("rows"); // the selected row after each press

    const Qt::Key F3 = Qt::Key_F3, F4 = Qt::Key_F4, F5 = Qt::Key_F5, F6 = Qt::Key_F6,
                  F7 = Qt::Key_F7, F8 = Qt::Key_F8;
    const auto ctrl = [](Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); };
    // The GoTo window and the check window both pass the jump keys on to the main window.
    for (const char* window : {"GoTo", "Checking"}) {
        const auto row = [window](const char* name) -> QTestData& {
            return QTest::addRow("%s: %s", window, name) << QString::fromLatin1(window);
        };
        row("F8 up to the last") << 0 << Presses({F8, F8, F8, F8}) << QList<int>{2, 5, 8, 8};
        row("F7 back to the first") << 9 << Presses({F7, F7, F7, F7}) << QList<int>{8, 5, 2, 2};
        row("F4 and F3") << 0 << Presses({F4, F4, F4, F3, F3}) << QList<int>{1, 4, 7, 4, 1};
        row("F6 and F5") << 0 << Presses({F6, F6, F6, F5}) << QList<int>{3, 6, 6, 3};
        row("Ctrl+F4 and Ctrl+F3")
            << 1
            << Presses({ctrl(Qt::Key_F4), ctrl(Qt::Key_F4), ctrl(Qt::Key_F4), ctrl(Qt::Key_F3)})
            << QList<int>{3, 4, 6, 4};
        row("Ctrl+F6 and Ctrl+F5")
            << 0
            << Presses({ctrl(Qt::Key_F6), ctrl(Qt::Key_F6), ctrl(Qt::Key_F6), ctrl(Qt::Key_F5)})
            << QList<int>{1, 3, 6, 3};
        row("Ctrl+F8 and Ctrl+F7")
            << 0
            << Presses({ctrl(Qt::Key_F8), ctrl(Qt::Key_F8), ctrl(Qt::Key_F8), ctrl(Qt::Key_F7)})
            << QList<int>{2, 4, 5, 4};
        row("plain and Ctrl mixed")
            << 0 << Presses({F8, ctrl(Qt::Key_F8), F8, ctrl(Qt::Key_F6), F4, ctrl(Qt::Key_F3)})
            << QList<int>{2, 4, 5, 6, 7, 6};
    }
}

void TestSelectionWindows::jumpKeysMoveTheSelectionAtEveryPress() {
    QFETCH(QString, window);
    QFETCH(int, start);
    QFETCH(QList<int>, presses);
    QFETCH(QList<int>, rows);
    TTreeFixture& f = MainFixture();
    BuildJumpList(f);
    SetMainTreeView(f.Tree());
    f.Select(start);

    std::unique_ptr<QDialog> dialog;
    if (window == QLatin1String("GoTo"))
        dialog = std::make_unique<TfrmGoTo>();
    else
        dialog = std::make_unique<TfrmChecking>();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QCOMPARE(PressEach<int>(*dialog, presses, [&f] { return f.SelectedRow(); }), rows);

    if (auto* goTo = qobject_cast<TfrmGoTo*>(dialog.get())) {
        // The buttons follow the node the last press landed on.
        const int last = rows.constLast();
        QCOMPARE(Child<QPushButton>(goTo, "btnNextEncrypted")->isEnabled(), last < 8);
        QCOMPARE(Child<QPushButton>(goTo, "btnPrevEncrypted")->isEnabled(), last > 2);
    }
}

void TestSelectionWindows::goToF12TicksAtEveryPressInAModalInstance() {
    TTreeFixture& f = MainFixture();
    BuildJumpList(f);
    SetMainTreeView(f.Tree());
    f.Model.UncheckNode(3);
    f.Model.UncheckNode(6);
    f.Select(2);

    // The modal instance another window opens, with its "Checked (F12)" box.
    TfrmGoTo window;
    window.SetCheckedBoxVisible(true);
    QStringList ticked;
    QList<bool> box;
    const auto ran = WhenModal([&](QWidget* modal) {
        QCOMPARE(modal, &window);
        const QList<int> presses = Presses({Qt::Key_F12, Qt::Key_F12, Qt::Key_F12, Qt::Key_F8,
                                            Qt::Key_F12, Qt::Key_F7, Qt::Key_F12});
        PressEach<int>(window, presses, [&] {
            ticked.append(Ticked(f.Model));
            box.append(Child<QCheckBox>(&window, "chbChecked")->isChecked());
            return f.SelectedRow();
        });
    });
    window.ShowModal();
    QVERIFY(ran->Ran());
    QCOMPARE(ticked, QStringList({QStringLiteral("c2"), QString(), QStringLiteral("c2"),
                                  QStringLiteral("c2"), QStringLiteral("c2 c5"),
                                  QStringLiteral("c2 c5"), QStringLiteral("c5")}));
    // The box shows the tick of the node landed on without changing it.
    QCOMPARE(box, QList<bool>({true, false, true, false, true, true, false}));
}

void TestSelectionWindows::searchKeysStepAtEveryPress() {
    TTreeFixture& f = MainFixture();
    for (const char* name :
         {"Das Erste", "ZDF", "Erste HD", "arte", "Erster Kanal", "Sport", "erste Wahl"})
        f.List.Add(Channel(QString::fromLatin1(name)).Video().Channel());
    f.Build();
    SetMainTreeView(f.Tree());
    f.Select(5);

    TfrmSearch window;
    const auto ran = WhenModal([&](QWidget* modal) {
        QCOMPARE(modal, &window);
        Child<QLineEdit>(&window, "edtChannelName")->setFocus();
        // Typed into the name box through the window: each letter narrows the search.
        const QList<int> typed = PressEach<int>(window, Presses({Qt::Key_E, Qt::Key_R}),
                                                [&] { return f.SelectedRow(); });
        QCOMPARE(Child<QLineEdit>(&window, "edtChannelName")->text(), QStringLiteral("er"));
        QCOMPARE(typed, QList<int>({0, 0}));

        const QList<int> presses =
            Presses({Qt::Key_F8, Qt::Key_F8, Qt::Key_F8, Qt::Key_F8, Qt::Key_F7, Qt::Key_F7,
                     Qt::Key_F12, Qt::Key_F12, Qt::Key_F12, Qt::Key_F8});
        QStringList ticked;
        const QList<int> rows = PressEach<int>(window, presses, [&] {
            ticked.append(Ticked(f.Model));
            return f.SelectedRow();
        });
        QCOMPARE(rows, QList<int>({2, 4, 6, 6, 4, 2, 2, 2, 2, 4}));
        QCOMPARE(ticked, QStringList({QString(), QString(), QString(), QString(), QString(),
                                      QString(), QStringLiteral("Erste HD"), QString(),
                                      QStringLiteral("Erste HD"), QStringLiteral("Erste HD")}));
        // With the selection on the last match, F8 has nothing to go to.
        QTest::keyClick(window.windowHandle(), Qt::Key_F8);
        QTest::keyClick(window.windowHandle(), Qt::Key_F8);
        QCOMPARE(f.SelectedRow(), 6);
        QVERIFY(!Child<QPushButton>(&window, "btnNext")->isEnabled());
        QVERIFY(Child<QPushButton>(&window, "btnPrev")->isEnabled());
        // Esc closes the window, pressed like any other key.
        QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    });
    window.exec();
    QVERIFY(ran->Ran());
}

QTEST_MAIN(TestSelectionWindows)
#include "tst_selectionwindows.moc"
