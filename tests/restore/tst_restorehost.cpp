// The restore window with a host of the test's own instead of the main window: what it hands
// back, which commands it runs for the host and which keys it passes on. This executable links
// no main window.

#include "channels/UChannel.h"
#include "common/ChannelFixture.h"
#include "common/GuiTest.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "restore/URestore.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAction>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

TChannelRec Rec(const char* name) {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .Category(QStringLiteral("Cat"))
        .Root(QStringLiteral("Root"))
        .Video()
        .Build();
}

} // namespace

class TestRestoreHost : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FTemp;
    std::unique_ptr<TDialogPrompt> FPrompt;
    std::unique_ptr<TChannelDocument> FDocument;
    // What the host was asked.
    QStringList FCalls;
    std::vector<TChannel*> FRestored;
    QList<int> FKeys;
    // The host's own commands; it has no "actTune".
    QObject FCommands;
    std::unique_ptr<TfrmRestore> FWindow;

    TRestoreHost Host() {
        TRestoreHost host;
        host.Command = [this](const QString& name) {
            return FCommands.findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
        };
        host.UpdateActions = [this] { FCalls << u"UpdateActions"_qs; };
        host.RestoreChannels = [this](const std::vector<TChannel*>& rc) {
            FCalls << u"RestoreChannels"_qs;
            FRestored = rc;
        };
        // Uses the function keys, as the main window's jumps do.
        host.FormKeyDown = [this](QKeyEvent* event) {
            const int key = event->key();
            if (key == Qt::Key_Control || key == Qt::Key_Shift)
                return false;
            FKeys << key;
            return key >= Qt::Key_F3 && key <= Qt::Key_F8;
        };
        return host;
    }

    QAction* HostCommand(const char* name) {
        auto* action = new QAction(&FCommands);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this,
                [this, action] { FCalls << action->objectName(); });
        return action;
    }

private Q_SLOTS:
    void init() {
        ResetSettings();
        TDialogSeam::Install();
        FCalls.clear();
        FRestored.clear();
        FKeys.clear();
        for (const char* name :
             {"actSearch", "actToggleBookmark", "actDeleteAllBookmarks",
              "actCheckingByCategoryAndRoot", "actCheckAll", "actInvertChecking"})
            HostCommand(name);
        FTemp = std::make_unique<QTemporaryDir>();
        QVERIFY(FTemp->isValid());
        // A and B in the list, D and E deleted beside it.
        const QString list = FTemp->filePath(u"list.dat"_qs);
        QVERIFY(WriteChannelFile(list, {Rec("A"), Rec("B")}));
        QVERIFY(WriteChannelFile(FTemp->filePath(u"list.Odel"_qs), {Rec("D"), Rec("E")}));
        FPrompt = std::make_unique<TDialogPrompt>();
        FDocument = std::make_unique<TChannelDocument>(*FPrompt);
        FDocument->LoadChannelList(list);
        FWindow = std::make_unique<TfrmRestore>(*FDocument, Host());
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
        QCOMPARE(FWindow->Model().TopCount(), 2);
    }
    void cleanup() {
        FWindow.reset();
        FDocument.reset();
        FPrompt.reset();
        FTemp.reset();
        qDeleteAll(FCommands.children());
        TDialogSeam::Uninstall();
    }

    void restoreHandsTheTickedChannelsToTheHost() {
        FWindow->Model().CheckNode(1);
        FWindow->tiEnabledTimer();
        QVERIFY(Trigger(FWindow.get(), u"actRestore"_qs));
        QCOMPARE(FCalls, QStringList{u"RestoreChannels"_qs});
        QCOMPARE(FRestored.size(), size_t(1));
        QCOMPARE(FRestored[0]->Name(), u"E"_qs);
        QCOMPARE(FWindow->Model().TopCount(), 1);
    }

    void deletingPermanentlyMarksTheDocument() {
        FWindow->Model().CheckNode(0);
        FWindow->tiEnabledTimer();
        TDialogSeam::AddAnswer(true);
        QVERIFY(Trigger(FWindow.get(), u"actDeletePermanently"_qs));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{u"Delete checked channels permanently?"_qs});
        QCOMPARE(FWindow->Model().TopCount(), 1);
        QVERIFY(FDocument->IsModified());
        QVERIFY(FCalls.isEmpty());
    }

    void sharedCommandsRunTheHostsCommandAfterItsUpdate_data() {
        QTest::addColumn<QString>("command");
        for (const char* name :
             {"actSearch", "actToggleBookmark", "actDeleteAllBookmarks",
              "actCheckingByCategoryAndRoot", "actCheckAll", "actInvertChecking"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void sharedCommandsRunTheHostsCommandAfterItsUpdate() {
        QFETCH(QString, command);
        QVERIFY(Trigger(FWindow.get(), command));
        QCOMPARE(FCalls, (QStringList{u"UpdateActions"_qs, command}));

        // A host command found disabled by the update does not run; the copy then follows it.
        FCalls.clear();
        FCommands.findChild<QAction*>(command)->setEnabled(false);
        auto* copy = Child<QAction>(FWindow.get(), command);
        QVERIFY(copy);
        QVERIFY(copy->isEnabled());
        copy->trigger();
        QCOMPARE(FCalls, QStringList{u"UpdateActions"_qs});
        FWindow->tiEnabledTimer();
        QVERIFY(!copy->isEnabled());
    }

    void aCommandTheHostLacksStaysDisabled() {
        auto* tune = Child<QAction>(FWindow.get(), "actTune");
        QVERIFY(tune);
        QVERIFY(!tune->isEnabled());
        FWindow->tiEnabledTimer();
        QVERIFY(!tune->isEnabled());
    }

    void keysTheWindowDoesNotUseGoToTheHost() {
        QWindow* window = FWindow->windowHandle();
        QTest::keyClick(window, Qt::Key_F5);
        QTest::keyClick(window, Qt::Key_F3, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(FKeys, (QList<int>{Qt::Key_F5, Qt::Key_F3, Qt::Key_F8}));
        QVERIFY(FWindow->isVisible());
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!FWindow->isVisible());
        QCOMPARE(FKeys.size(), 3);
    }
};

QTEST_MAIN(TestRestoreHost)
#include "tst_restorehost.moc"
