// The main window on the system's own window platform (under Wine: Windows' own, drawn on a
// virtual X display), not the offscreen one of the other window tests: a list is opened
// through the File menu's command, a channel ticked with the keyboard, and both the whole list
// and the ticked channel saved; the saved bytes are compared with what was read.

#include "common/ChannelFixture.h"
#include "common/GuiTest.h"
#include "common/MainWindowFixture.h"

#include "main/UChannelTreeModel.h"
#include "views/UChannelTreeView.h"
#include "main/UMain.h"
#include "ui/UMessages.h"

#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDesktopWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(F.Init()); }
    void cleanup() { F.Cleanup(); }
    void runsOnTheExpectedWindowPlatform();
    void openedListIsSavedByteForByte();

private:
    TMainWindowFixture F;
};

void TestDesktopWindow::runsOnTheExpectedWindowPlatform() {
    // The runner names the platform it meant to give; a silent fall-back to another would
    // make this test no test of that platform.
    const QString expected = qEnvironmentVariable("ORVANE_EXPECT_QPA");
    if (expected.isEmpty())
        QSKIP("No window platform asked for (ORVANE_EXPECT_QPA unset)");
    QCOMPARE(QGuiApplication::platformName(), expected);
    QVERIFY(F.Main().windowHandle() && F.Main().windowHandle()->isExposed());
}

void TestDesktopWindow::openedListIsSavedByteForByte() {
    const QList<TChannelRec> records = {
        TChannelRecBuilder()
            .Root(u"Astra 19.2\u00B0E"_s)
            .Category(u"Deutsch"_s)
            .Name(u"Das Erste HD"_s)
            .Video(),
        TChannelRecBuilder()
            .Root(u"Astra 19.2\u00B0E"_s)
            .Category(u"Fran\u00E7ais"_s)
            .Name(u"Arte Fran\u00E7ais"_s)
            .Video(),
        TChannelRecBuilder().Root(u"Hot Bird"_s).Category(u"Radio"_s).Name(u"Caf\u00E9 FM"_s),
    };
    const QString source = F.Path(u"source.dat"_s);
    QVERIFY(WriteChannelFile(source, records));
    const QByteArray original = ReadAll(source);
    QVERIFY(!original.isEmpty());

    TDialogSeam::AddFileName(source);
    QVERIFY(F.Trigger(u"actFileOpen"_s));
    QCOMPARE(F.Tree().rowCount(), 3);

    const QString whole = F.Path(u"whole.dat"_s);
    TDialogSeam::AddFileName(whole);
    QVERIFY(F.Trigger(u"actFileSaveAs"_s));
    QCOMPARE(ReadAll(whole), original);

    // The second channel, ticked with Down and Space pressed in the tree's window.
    auto* tree = Child<TChannelTreeView>(&F.Main(), "tvChannels");
    QVERIFY(tree);
    tree->setFocus();
    QWindow* window = F.Main().windowHandle();
    QVERIFY(window);
    QTest::keyClick(window, Qt::Key_Home);
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Space);
    QTRY_COMPARE(F.TickedNames(), u"Arte Fran\u00E7ais"_s);

    const QString checked = F.Path(u"checked.dat"_s);
    TDialogSeam::AddFileName(checked);
    QVERIFY(F.Trigger(u"actSaveCheckedAs"_s, {.UpdateActionsFirst = true}));
    const QByteArray header = original.left(original.size() - 3 * int(sizeof(TChannelRec)));
    const QByteArray second =
        original.mid(header.size() + int(sizeof(TChannelRec)), int(sizeof(TChannelRec)));
    QCOMPARE(ReadAll(checked), header + second);
}

QTEST_MAIN(TestDesktopWindow)
#include "tst_desktopwindow.moc"
