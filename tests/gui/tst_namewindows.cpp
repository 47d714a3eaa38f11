#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "common/TestSupport.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UMain.h"
#include "platform/UOrvaneError.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// "Первый" and its audio track "Второй", as the bytes a Russian viewer stores (1251).
const QByteArray FirstCyrillic("\xCF\xE5\xF0\xE2\xFB\xE9");
const QByteArray SecondCyrillic("\xC2\xF2\xEE\xF0\xEE\xE9");

} // namespace

class TestNameWindows : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    QString NodeText(int row, int sub = -1) const {
        TChannelTreeModel& tree = F->Tree();
        return tree.data(sub < 0 ? tree.NodeIndex(row) : tree.SubIndex(row, sub)).toString();
    }

    void ForceCodePage(const QString& number) {
        const auto modal = WhenModal(
            [number](QWidget* w) {
                if (number.isEmpty()) {
                    Child<QAbstractButton>(w, "rbSystemCodePage")->click();
                } else {
                    Child<QAbstractButton>(w, "rbForcedCodePage")->click();
                    Child<QLineEdit>(w, "edtCodePage")->setText(number);
                }
                Child<QAbstractButton>(w, "btnOK")->click();
            },
            {.Poll = true});
        QVERIFY(F.Trigger(QStringLiteral("actCodepage")));
    }

private Q_SLOTS:
    void init() { QVERIFY(F.Init()); }
    void cleanup() { F.Cleanup(); }

    void forcingACodePageRereadsEveryNameAndKeepsTheBytes() {
        const QString path = F.Path(QStringLiteral("ru.dat"));
        const QByteArray original = MakeChannelFile({TChannelRecBuilder()
                                                         .NameBytes(FirstCyrillic)
                                                         .Category(QStringLiteral("Cat"))
                                                         .Root(QStringLiteral("Root"))
                                                         .Video(),
                                                     TChannelRecBuilder()
                                                         .NameBytes(SecondCyrillic)
                                                         .Category(QStringLiteral("Cat"))
                                                         .Root(QStringLiteral("Root"))
                                                         .Video()
                                                         .SubChannel()});
        QVERIFY(WriteWholeFile(path, original));
        F->Document().LoadChannelList(path);
        const QString before = NodeText(0);
        QVERIFY(!before.contains(QStringLiteral("\u041f\u0435\u0440\u0432\u044b\u0439")));

        ForceCodePage(QStringLiteral("1251"));
        QCOMPARE(Settings().CodepageIndex, 1);
        QCOMPARE(Settings().ForcedCodePage, 1251);
        QVERIFY2(NodeText(0).contains(QStringLiteral("[0] \u041f\u0435\u0440\u0432\u044b\u0439")),
                 qPrintable(NodeText(0)));
        QCOMPARE(NodeText(0, 0), QStringLiteral("\u0412\u0442\u043e\u0440\u043e\u0439"));
        QVERIFY(!F->Document().IsModified());

        ForceCodePage(QString());
        QCOMPARE(Settings().CodepageIndex, 0);
        QCOMPARE(NodeText(0), before);

        // Reading the names differently changed no byte.
        const QString copy = F.Path(QStringLiteral("copy.dat"));
        F->Document().SaveChannelList(copy, false);
        QCOMPARE(ReadWholeFile(copy), original);
    }

    void underUtf8ANameThatFittedMayNoLonger() {
        const QString path = F.Path(QStringLiteral("long.dat"));
        const QString full25 = QString(25, QLatin1Char('r'));
        QVERIFY(WriteChannelFile(path, {TChannelRecBuilder()
                                            .Name(QStringLiteral("x"))
                                            .Root(full25)
                                            .Category(QString(25, QLatin1Char('c')))
                                            .Video()}));
        F->Document().LoadChannelList(path);
        TChannel* channel = F->Channels().Channel(0);
        // 20 accented letters: 20 bytes in 1252 fit the 23 left; 40 in UTF-8 do not.
        const QString accented(20, QChar(0xE9));
        channel->SetName(accented);
        QCOMPARE(channel->Name(), accented);

        ForceCodePage(QStringLiteral("65001"));
        QCOMPARE(Settings().ForcedCodePage, 65001);
        const QByteArray bytesBefore = channel->ToBytes();
        QVERIFY_THROWS_EXCEPTION(EChannelException, channel->SetName(accented + u'!'));
        QCOMPARE(channel->ToBytes(), bytesBefore);
    }

    void separatorsAreShownAndStoredAsTyped() {
        const QString path = F.Path(QStringLiteral("sep.dat"));
        QVERIFY(WriteChannelFile(path, {TChannelRecBuilder()
                                            .Name(QStringLiteral("N"))
                                            .Category(QStringLiteral("C"))
                                            .Root(QStringLiteral("R"))
                                            .Video()}));
        F->Document().LoadChannelList(path);
        const auto modal = WhenModal(
            [](QWidget* w) {
                Child<QLineEdit>(w, "edtChannelSeparator")->setText(QString());
                Child<QLineEdit>(w, "edtRootSeparator")->setText(QStringLiteral("  | "));
                Child<QAbstractButton>(w, "btnOK")->click();
            },
            {.Poll = true});
        QVERIFY(F.Trigger(QStringLiteral("actSettings")));
        QCOMPARE(NodeText(0), QStringLiteral("[0] NC  | R"));

        SaveSettings();
        const QByteArray file = ReadWholeFile(SettingsFileName());
        QVERIFY2(file.contains("ChannelSeparator=\"\""), file.constData());
        QVERIFY2(file.contains("RootSeparator=\"  | \""), file.constData());
        ResetSettings();
        LoadSettings();
        QCOMPARE(Settings().ChannelSeparator, QString());
        QCOMPARE(Settings().RootSeparator, QStringLiteral("  | "));
    }
};

QTEST_MAIN(TestNameWindows)
#include "tst_namewindows.moc"
