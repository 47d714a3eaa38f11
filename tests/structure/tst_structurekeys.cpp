#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace {

TChannelRecBuilder Main(const char* name, const char* root, const char* category) {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .Root(QLatin1String(root))
        .Category(QLatin1String(category))
        .Video();
}

} // namespace

// The tree keys in the structure pane, pressed through the main window as a user does.
class TestStructureKeys : public QObject {
    Q_OBJECT

    TMainWindowFixture F;

    TChannelTreeModel& Tree() const { return F->Tree(); }
    QString Ticked() const { return F.TickedNames(); }
    QTreeView* Structure() const { return F.Child<QTreeView>("tvStructure"); }
    QString Current() const { return Structure()->currentIndex().data().toString(); }
    void Press(QKeyCombination key) {
        QTest::keyClick(F->windowHandle(), key.key(), key.keyboardModifiers());
    }

private Q_SLOTS:
    void init() {
        QVERIFY(F.Init());

        // Astra: News [0] A (with an audio track) and [2] C, Sport [1] B; Hotbird: News [3] D.
        const QString path = F.Path(QStringLiteral("work.dat"));
        QVERIFY(WriteChannelFile(path, {Main("A", "Astra", "News"),
                                        Main("a-track", "Astra", "News").SubChannel(),
                                        Main("B", "Astra", "Sport"), Main("C", "Astra", "News"),
                                        Main("D", "Hotbird", "News")}));
        F->Document().LoadChannelList(path);
        QCOMPARE(Tree().TopCount(), 4);
        QAction* viewStructure = F.Action(QStringLiteral("actViewStructure"));
        QVERIFY(viewStructure);
        QVERIFY(viewStructure->isChecked());
        QVERIFY(Structure()->isVisible());
        Structure()->expandAll();
        // The main tree's selection stays on D throughout: the keys act on the structure's node.
        MainTreeView().Select(Tree().NodeIndex(3));
        Structure()->setFocus();
        QTRY_VERIFY(Structure()->hasFocus());
    }
    void cleanup() { F.Cleanup(); }

    void spaceAndShiftArrowsTickTheChannelOfTheStructureNode() {
        const QModelIndexList a = Structure()->model()->match(
            Structure()->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("[0] A"), 1,
            Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(a.size(), 1);
        Structure()->setCurrentIndex(a.first());

        const QList<QKeyCombination> keys = {
            Qt::Key_Space,            // A
            Qt::Key_Space,            // A again
            Qt::SHIFT | Qt::Key_Down, // A, leaving it for C
            Qt::SHIFT | Qt::Key_Down, // C, leaving it for the category Sport
            Qt::SHIFT | Qt::Key_Down, // a category has no channel: on to B
            Qt::Key_Space,            // B
            Qt::SHIFT | Qt::Key_Up,   // B, leaving it for Sport
            Qt::Key_F12,              // F12 is the main tree's key only
        };
        QStringList ticked;
        QStringList current;
        for (const QKeyCombination key : keys) {
            Press(key);
            ticked.append(Ticked());
            current.append(Current());
        }
        QCOMPARE(ticked,
                 QStringList({QStringLiteral("A"), QString(), QStringLiteral("A"),
                              QStringLiteral("A C"), QStringLiteral("A C"), QStringLiteral("A B C"),
                              QStringLiteral("A C"), QStringLiteral("A C")}));
        QCOMPARE(current, QStringList({QStringLiteral("[0] A"), QStringLiteral("[0] A"),
                                       QStringLiteral("[2] C"), QStringLiteral("Sport"),
                                       QStringLiteral("[1] B"), QStringLiteral("[1] B"),
                                       QStringLiteral("Sport"), QStringLiteral("Sport")}));
        QCOMPARE(F.Child<QLabel>("StatusPanel1")->text(), QStringLiteral("Checked: 2"));
        QCOMPARE(MainTreeView().SelectedNode(), Tree().NodeIndex(3));
    }

    void rootAndCategoryNodesTickNothing() {
        Structure()->setCurrentIndex(Structure()->model()->index(0, 0)); // the root Astra
        Press(Qt::Key_Space);
        QCOMPARE(Ticked(), QString());
        Press(Qt::SHIFT | Qt::Key_Down); // leaves the root for its category News
        QCOMPARE(Ticked(), QString());
        QCOMPARE(Current(), QStringLiteral("News"));
        Press(Qt::Key_Space);
        QCOMPARE(Ticked(), QString());
        QCOMPARE(F.Child<QLabel>("StatusPanel1")->text(), QStringLiteral("Checked: 0"));
    }
};

QTEST_MAIN(TestStructureKeys)
#include "tst_structurekeys.moc"
