#include "channels/UChannel.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UMain.h"
#include "settings/USettings.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

using namespace Qt::StringLiterals;

// The commands that ask for a list to read, through the real file dialog: a name typed without
// an extension means the ".dat" list of that name, as it does when saving.
class TestFileDialogs : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    QString Names() const {
        QString names;
        const TChannelTreeModel& tree = F.Tree();
        for (int row = 0; row < tree.TopCount(); ++row)
            names += tree.ChannelAt(row)->Name() + (tree.IsNodeChecked(row) ? u"*"_s : u""_s);
        return names;
    }

private Q_SLOTS:
    void init() {
#ifdef Q_OS_WIN
        // The typing happens in the dialog's own widgets, which only Qt's dialog has.
        QSKIP("Windows shows its own file dialog, whose fields a test cannot reach (and Wine's "
              "crashes as it is made)");
#endif
        QVERIFY(F.Prepare({.Seam = false}));
        Settings().DefaultWorkFolder = F.Folder() + u'/';
        QVERIFY(
            WriteChannelFile(F.Path(u"base.dat"_s), {TChannelRecBuilder().Name(u"X"_s).Video()}));
        QVERIFY(
            WriteChannelFile(F.Path(u"work.dat"_s), {TChannelRecBuilder().Name(u"A"_s).Video(),
                                                     TChannelRecBuilder().Name(u"B"_s).Video()}));
        QVERIFY(F.Open());
        F->Document().LoadChannelList(F.Path(u"base.dat"_s));
    }
    void cleanup() {
        F.Cleanup();
    }

    void typedNameWithoutExtensionOpensTheDatList_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("names");
        QTest::newRow("Open...") << u"actFileOpen"_s << u"Open DVBViewer channel list"_s << u"AB"_s;
        QTest::newRow("Append as Checked...")
            << u"actAppendChecked"_s << u"Append DVBViewer channel list as Checked"_s << u"XA*B*"_s;
        QTest::newRow("Append as Unchecked...")
            << u"actAppendUnchecked"_s << u"Append DVBViewer channel list as Unchecked"_s
            << u"XAB"_s;
    }
    void typedNameWithoutExtensionOpensTheDatList() {
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QString, names);

        // A dialog that refuses the name answers with a box of its own; close any such box so
        // that the test ends either way.
        QTimer boxCloser;
        connect(&boxCloser, &QTimer::timeout, this, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->reject();
        });
        boxCloser.start(100);

        QString shownTitle;
        bool accepted = false;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            QVERIFY(dialog);
            shownTitle = dialog->windowTitle();
            auto* name = Child<QLineEdit>(dialog, "fileNameEdit");
            QVERIFY(name);
            name->setFocus();
            name->setText(u"work"_s);
            QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
            accepted = QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 3000);
            if (!accepted)
                dialog->reject();
        });
        QVERIFY(F.Trigger(command, {.UpdateActionsFirst = true}));

        QCOMPARE(shownTitle, title);
        QVERIFY(accepted);
        QCOMPARE(Names(), names);
        if (command == u"actFileOpen"_s)
            QCOMPARE(F->Document().FileName(), F.Path(u"work.dat"_s));
    }
};

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
