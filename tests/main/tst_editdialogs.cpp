#include "main/EditFixture.h"

#include "channels/UChannelUtils.h"
#include "common/GuiTest.h"
#include "main/UEditCommands.h"
#include "main/UEditName.h"
#include "main/USetEPGFlags.h"
#include "main/USetGroup.h"
#include "main/USetProperty.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// With ORVANE_SHOTS_DIR set, a dialog is saved there as a picture for a look by eye.
void SaveShot(QWidget& dialog, const char* name) {
    const QString folder = qEnvironmentVariable("ORVANE_SHOTS_DIR");
    if (!folder.isEmpty())
        dialog.grab().save(QDir(folder).filePath(QLatin1String(name) + QLatin1String(".png")));
}

QStringList ItemTexts(QGroupBox* group) {
    QStringList texts;
    for (QRadioButton* item : group->findChildren<QRadioButton*>())
        texts << item->text();
    return texts;
}

QRadioButton* Item(QGroupBox* group, const QString& text) {
    for (QRadioButton* item : group->findChildren<QRadioButton*>())
        if (item->text() == text)
            return item;
    return nullptr;
}

// A click on the item's indicator, the part of a wide item that takes clicks.
void ClickItem(QRadioButton* item) {
    QVERIFY(item);
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
}

} // namespace

class TestEditDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        ResetSettings();
        SetNameCodePageProvider([] { return 1252; });
        TDialogSeam::Install();
    }
    void cleanup() {
        TDialogSeam::Uninstall();
        SetNameCodePageProvider({});
    }

    void nameEditorTextsByMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("heading");
        QTest::newRow("root") << int(emRoot) << "Edit Root"
                              << "&New Root name for checked channels:"
                              << "Too long Names:";
        QTest::newRow("category") << int(emCategory) << "Edit Category"
                                  << "&New Category name for checked channels:"
                                  << "Too long Names:";
        QTest::newRow("channel name") << int(emChannelName) << "Edit Channel Name"
                                      << "&New Channel Name:"
                                      << "Editing:";
    }
    void nameEditorTextsByMode() {
        QFETCH(int, mode);
        QFETCH(QString, caption);
        QFETCH(QString, label);
        QFETCH(QString, heading);
        TEditFixture f(MainsNamed("A B"));
        f.Tick("A");
        TfrmEditName dialog(f.Tree());
        dialog.SetEditMode(TEditMode(mode));
        dialog.SetChannelToEdit(f.Channel(QStringLiteral("B")));
        dialog.SetChannelNo(1);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), caption);
        QCOMPARE(Child<QLabel>(&dialog, "lblNameType")->text(), label);
        QCOMPARE(Child<QLabel>(&dialog, "lblNameType")->buddy(),
                 Child<QLineEdit>(&dialog, "edtName"));
        QCOMPARE(Child<QLabel>(&dialog, "lblTooLongNames")->text(), heading);
        QCOMPARE(Child<QPushButton>(&dialog, "btnOk")->text(), QStringLiteral("&Ok"));
        QVERIFY(Child<QPushButton>(&dialog, "btnOk")->isDefault());
        QVERIFY(Child<QPlainTextEdit>(&dialog, "meChannels")->isReadOnly());
        QCOMPARE(dialog.focusWidget(), Child<QLineEdit>(&dialog, "edtName"));
        if (mode == emChannelName) {
            QCOMPARE(Child<QLineEdit>(&dialog, "edtName")->text(), QStringLiteral("B"));
            // The channel as its node shows it now.
            QCOMPARE(Child<QPlainTextEdit>(&dialog, "meChannels")->toPlainText(),
                     f.Tree().GetTreeViewName(*f.Channel(QStringLiteral("B")), 1));
            QCOMPARE(dialog.height(), dialog.Scaled(240));
            QCOMPARE(Child<QPlainTextEdit>(&dialog, "meChannels")->height(), dialog.Scaled(60));
            SaveShot(dialog, "frmEditName-channel");
        } else {
            QVERIFY(Child<QLineEdit>(&dialog, "edtName")->text().isEmpty());
            SaveShot(dialog, mode == emRoot ? "frmEditName-root" : "frmEditName-category");
        }
    }

    void nameEditorCountsBytesOfTheNameCodePage_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("free");
        const QString nihongo = QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
        QTest::newRow("root, 3 bytes") << 1252 << int(emRoot) << "A"
                                       << "abc" << 22;
        QTest::newRow("root, 25 bytes") << 1252 << int(emRoot) << "A" << QString(25, u'r') << 0;
        QTest::newRow("root, 26 bytes") << 1252 << int(emRoot) << "A" << QString(26, u'r') << -1;
        QTest::newRow("category, 3 characters of 2 bytes")
            << 932 << int(emCategory) << "A" << nihongo << 19;
        QTest::newRow("root, 3 characters of 1 byte")
            << 1252 << int(emRoot) << "A" << QString::fromUtf8("\xC3\xA4\xC3\xB6\xC3\xBC") << 22;
        QTest::newRow("channel, empty name") << 1252 << int(emChannelName) << "A"
                                             << "" << 66;
        QTest::newRow("channel, 3 characters of 2 bytes")
            << 932 << int(emChannelName) << "A" << nihongo << 60;
        // A 24-byte category leaves no more room than a full one.
        QTest::newRow("channel, category of 24 bytes") << 1252 << int(emChannelName) << "W24"
                                                       << "" << 44;
        QTest::newRow("channel, category of 25 bytes") << 1252 << int(emChannelName) << "W25"
                                                       << "" << 44;
    }
    void nameEditorCountsBytesOfTheNameCodePage() {
        QFETCH(int, codePage);
        QFETCH(int, mode);
        QFETCH(QString, channel);
        QFETCH(QString, text);
        QFETCH(int, free);
        SetNameCodePageProvider([codePage] { return codePage; });
        TEditFixture f({EditRec(QStringLiteral("A")),
                        EditRec(QStringLiteral("W24"), QString(24, u'c')),
                        EditRec(QStringLiteral("W25"), QString(25, u'c'))});
        f.Tick("A");
        TfrmEditName dialog(f.Tree());
        dialog.SetEditMode(TEditMode(mode));
        dialog.SetChannelToEdit(f.Channel(channel));
        dialog.SetChannelNo(f.Row(channel));
        dialog.show();
        Child<QLineEdit>(&dialog, "edtName")->setText(text);
        QCOMPARE(dialog.FreeBytes(), free);
        QCOMPARE(Child<QLabel>(&dialog, "lblFree")->text(),
                 QStringLiteral("Free: %1 bytes").arg(free));
    }

    void nameEditorListsTickedChannelsWhoseNameNoLongerFits() {
        // B's name takes 50 bytes and b1's 51: beside "Cat", a root of 20 bytes still leaves
        // room for B but not for b1; one of 21 leaves room for neither.
        const QString bName = QStringLiteral("B") + QString(49, u'b');
        const QString b1Name = QStringLiteral("b1") + QString(49, u'b');
        TEditFixture f({EditRec(QStringLiteral("A")), EditSub(QStringLiteral("a1")), EditRec(bName),
                        EditSub(b1Name), EditRec(QStringLiteral("U") + QString(60, u'u'))});
        f.Tick("A");
        f.Tree().CheckNode(f.Row(bName));
        TfrmEditName dialog(f.Tree());
        dialog.SetEditMode(emRoot);
        dialog.show();
        QVERIFY(Child<QPlainTextEdit>(&dialog, "meChannels")->toPlainText().isEmpty());
        // Without a root B and b1 have 20 and 19 bytes to spare.
        QCOMPARE(dialog.FreeBytes(), 19);

        Child<QLineEdit>(&dialog, "edtName")->setText(QString(20, u'r'));
        QCOMPARE(Child<QPlainTextEdit>(&dialog, "meChannels")->toPlainText(),
                 f.Channel(b1Name)->FullName());
        QCOMPARE(dialog.FreeBytes(), -1);

        Child<QLineEdit>(&dialog, "edtName")->setText(QString(21, u'r'));
        QCOMPARE(Child<QPlainTextEdit>(&dialog, "meChannels")->toPlainText().split(u'\n'),
                 QStringList({f.Channel(bName)->FullName(), f.Channel(b1Name)->FullName()}));
        QCOMPARE(dialog.FreeBytes(), -2);
        SaveShot(dialog, "frmEditName-toolong");

        // Too long beside some names is the command's to refuse; the dialog closes with OK.
        QTest::mouseClick(Child<QPushButton>(&dialog, "btnOk"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(TDialogSeam::ShownTexts().isEmpty());
    }

    void nameEditorKeepsANameLongerThanOneFieldOpen() {
        TEditFixture f(MainsNamed("A"));
        f.Tick("A");
        TfrmEditName dialog(f.Tree());
        dialog.SetEditMode(emCategory);
        dialog.show();
        Child<QLineEdit>(&dialog, "edtName")->setText(QString(26, u'c'));
        QTest::mouseClick(Child<QPushButton>(&dialog, "btnOk"), Qt::LeftButton);
        QCOMPARE(TDialogSeam::ShownTexts(), QStringList{QStringLiteral("Name is too long")});
        QCOMPARE(TDialogSeam::Shown()[0].Kind, TMessageKind::Error);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.focusWidget(), Child<QLineEdit>(&dialog, "edtName"));

        // A channel's own name is left to its setter.
        TfrmEditName single(f.Tree());
        single.SetEditMode(emChannelName);
        single.SetChannelToEdit(f.Channel(QStringLiteral("A")));
        single.show();
        Child<QLineEdit>(&single, "edtName")->setText(QString(70, u'n'));
        QCOMPARE(single.FreeBytes(), -4);
        QTest::mouseClick(Child<QPushButton>(&single, "btnOk"), Qt::LeftButton);
        QCOMPARE(single.result(), int(QDialog::Accepted));
    }

    void groupDialogSetsTheTickedChannelsAndTheirTracks() {
        TEditFixture f({EditRec(QStringLiteral("A")), EditSub(QStringLiteral("a1")),
                        EditRec(QStringLiteral("B")), EditRec(QStringLiteral("C"))});
        f.Tick("A C");
        TEditCommands commands(f.Doc);
        int result = -1;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<TfrmSetGroup*>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Channel Group"));
            QCOMPARE(Child<QGroupBox>(dialog, "rgGroups")->title(), QStringLiteral("G&roups"));
            QCOMPARE(ItemTexts(Child<QGroupBox>(dialog, "rgGroups")), Words("A B C D E F G H"));
            QCOMPARE(dialog->ItemIndex(), -1);
            QVERIFY(!Child<QPushButton>(dialog, "btnOk")->isEnabled());
            QVERIFY(Child<QPushButton>(dialog, "btnOk")->isDefault());
            SaveShot(*dialog, "frmSetGroup");

            // Enter does nothing until a group is chosen.
            QTest::keyClick(
                Child<QGroupBox>(dialog, "rgGroups")->findChildren<QRadioButton*>().first(),
                Qt::Key_Return);
            QVERIFY(dialog->isVisible());

            ClickItem(Item(Child<QGroupBox>(dialog, "rgGroups"), QStringLiteral("C")));
            QVERIFY(Child<QPushButton>(dialog, "btnOk")->isEnabled());
            QTest::mouseClick(Child<QPushButton>(dialog, "btnOk"), Qt::LeftButton);
            result = dialog->result();
        });
        commands.actSetGroupExecute();
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(f.Channel(QStringLiteral("A"))->Group(), quint8(2));
        QCOMPARE(f.Channel(QStringLiteral("a1"))->Group(), quint8(2));
        QCOMPARE(f.Channel(QStringLiteral("C"))->Group(), quint8(2));
        QCOMPARE(f.Channel(QStringLiteral("B"))->Group(), quint8(0));
    }

    void propertyDialogSetsItsProperty_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("mainAfter");
        QTest::addColumn<int>("subAfter");
        QTest::newRow("RDS on") << int(stRDS) << "Has &RDS (Radio Data System)" << Words("No Yes")
                                << 1 << 0 << 1 << 1;
        QTest::newRow("auto update off")
            << int(stAutoUpdate) << "&Auto Update" << Words("Off On") << 0 << 1 << 0 << 0;
        // The default audio track is the main channel's own choice.
        QTest::newRow("speakers right") << int(stSpeakers) << "&Speakers (Default audio track)"
                                        << Words("Stereo Left Right") << 2 << 0 << 2 << 0;
    }
    void propertyDialogSetsItsProperty() {
        QFETCH(int, type);
        QFETCH(QString, title);
        QFETCH(QStringList, items);
        QFETCH(int, choice);
        QFETCH(int, before);
        QFETCH(int, mainAfter);
        QFETCH(int, subAfter);
        auto rec = [&](const char* name, bool sub) {
            return TChannelRecBuilder()
                .Name(QString::fromLatin1(name))
                .SubChannel(sub)
                .RDS(type == stRDS && before == 1)
                .AutoUpdate(type == stAutoUpdate && before == 1)
                .Speakers(type == stSpeakers ? quint8(before) : 0)
                .Build();
        };
        TEditFixture f({rec("A", false), rec("a1", true), rec("B", false)});
        auto value = [&](const QString& name) {
            const TChannel* c = f.Channel(name);
            switch (type) {
            case stRDS:
                return int(c->HasRDS());
            case stAutoUpdate:
                return int(c->IsAutoUpdate());
            default:
                return int(c->Speakers());
            }
        };
        f.Tick("A");
        TEditCommands commands(f.Doc);
        int result = -1;
        int valueWhileOpen = -1;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<TfrmSetProperty*>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(),
                     QStringLiteral("Select Property to set for checked channels"));
            QCOMPARE(Child<QGroupBox>(dialog, "rgProperties")->title(), title);
            QCOMPARE(ItemTexts(Child<QGroupBox>(dialog, "rgProperties")), items);
            QCOMPARE(dialog->ItemIndex(), -1);
            QVERIFY(!Child<QPushButton>(dialog, "btnOk")->isEnabled());
            SaveShot(*dialog, type == stRDS          ? "frmSetProperty-rds"
                              : type == stAutoUpdate ? "frmSetProperty-autoupdate"
                                                     : "frmSetProperty-speakers");
            QTest::keyClick(
                Child<QGroupBox>(dialog, "rgProperties")->findChildren<QRadioButton*>().first(),
                Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            valueWhileOpen = value(QStringLiteral("A"));

            ClickItem(Item(Child<QGroupBox>(dialog, "rgProperties"), items[choice]));
            QTest::mouseClick(Child<QPushButton>(dialog, "btnOk"), Qt::LeftButton);
            result = dialog->result();
        });
        commands.actSetPropertyExecute(TSetType(type));
        QCOMPARE(valueWhileOpen, before);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(value(QStringLiteral("A")), mainAfter);
        QCOMPARE(value(QStringLiteral("a1")), subAfter);
        QCOMPARE(value(QStringLiteral("B")), before);
    }

    void epgDialogWritesTheWholeByteAndEnterCancels() {
        auto rec = [](const char* name, bool sub) {
            return TChannelRecBuilder()
                .Name(QString::fromLatin1(name))
                .SubChannel(sub)
                .EPGFlags(0x81)
                .Build();
        };
        TEditFixture f({rec("A", false), rec("a1", true), rec("B", false)});
        f.Tick("A");
        TEditCommands commands(f.Doc);
        int result = -1;
        const auto cancelled = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<TfrmSetEPGFlags*>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Set EPG Flags for checked channels"));
            QCOMPARE(Child<QGroupBox>(dialog, "gbEPGFlags")->title(), QStringLiteral("&EPG Flags"));
            QVERIFY(Child<QPushButton>(dialog, "btnCancel")->isDefault());
            QCOMPARE(dialog->Flags(), quint8(0));
            SaveShot(*dialog, "frmSetEPGFlags");
            // Box i is bit i.
            const char* names[] = {"chbDVBEPG", "chbMHWEpg", "chbExternalEPG", "chbBit3",
                                   "chbBit4",   "chbBit5",   "chbBit6",        "chbBit7"};
            for (int i = 0; i < 8; ++i) {
                auto* box = Child<QCheckBox>(dialog, names[i]);
                QVERIFY2(box, names[i]);
                box->setChecked(true);
                QCOMPARE(dialog->Flags(), quint8(1u << i));
                box->setChecked(false);
            }
            Child<QCheckBox>(dialog, "chbMHWEpg")->setChecked(true);
            QTest::keyClick(Child<QCheckBox>(dialog, "chbMHWEpg"), Qt::Key_Return);
            QVERIFY(!dialog->isVisible());
            result = dialog->result();
        });
        commands.actSetEPGFlagsExecute();
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(f.Channel(QStringLiteral("A"))->EpgFlags(), quint8(0x81));
        QVERIFY(!f.Doc.IsModified());

        const auto applied = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<TfrmSetEPGFlags*>(w);
            QVERIFY(dialog);
            Child<QCheckBox>(dialog, "chbMHWEpg")->setChecked(true);
            QTest::mouseClick(Child<QPushButton>(dialog, "btnOk"), Qt::LeftButton);
            result = dialog->result();
        });
        commands.actSetEPGFlagsExecute();
        QCOMPARE(result, int(QDialog::Accepted));
        // The bits left unticked are cleared, also on the audio track.
        QCOMPARE(f.Channel(QStringLiteral("A"))->EpgFlags(), quint8(0x02));
        QCOMPARE(f.Channel(QStringLiteral("a1"))->EpgFlags(), quint8(0x02));
        QCOMPARE(f.Channel(QStringLiteral("B"))->EpgFlags(), quint8(0x81));
    }

    void buttonsKeepTheirCaptionsAndDefault_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("okCaption");
        QTest::addColumn<bool>("okIsDefault");
        QTest::newRow("name") << "frmEditName"
                              << "&Ok" << true;
        QTest::newRow("group") << "frmSetGroup"
                               << "&OK" << true;
        QTest::newRow("property") << "frmSetProperty"
                                  << "&OK" << true;
        // Enter cancels the EPG dialog.
        QTest::newRow("EPG flags") << "frmSetEPGFlags"
                                   << "&OK" << false;
    }
    void buttonsKeepTheirCaptionsAndDefault() {
        QFETCH(QString, dialog);
        QFETCH(QString, okCaption);
        QFETCH(bool, okIsDefault);
        TEditFixture f(MainsNamed("A"));
        std::unique_ptr<QDialog> window;
        if (dialog == QLatin1String("frmEditName"))
            window = std::make_unique<TfrmEditName>(f.Tree());
        else if (dialog == QLatin1String("frmSetGroup"))
            window = std::make_unique<TfrmSetGroup>();
        else if (dialog == QLatin1String("frmSetProperty"))
            window = std::make_unique<TfrmSetProperty>();
        else
            window = std::make_unique<TfrmSetEPGFlags>();
        window->show();
        QCOMPARE(window->objectName(), dialog);
        auto* ok = Child<QPushButton>(window.get(), "btnOk");
        auto* cancel = Child<QPushButton>(window.get(), "btnCancel");
        QVERIFY(ok);
        QVERIFY(cancel);
        QCOMPARE(ok->text(), okCaption);
        QCOMPARE(cancel->text(), QStringLiteral("&Cancel"));
        QCOMPARE(ok->isDefault(), okIsDefault);
        QCOMPARE(cancel->isDefault(), !okIsDefault);
    }

    // Each command with a value chosen in its dialog, so that OK would change channel A.
    void escapeCancelsEveryDialogAndChangesNothing_data() {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("category name") << "frmEditName";
        QTest::newRow("group") << "frmSetGroup";
        QTest::newRow("property") << "frmSetProperty";
        QTest::newRow("EPG flags") << "frmSetEPGFlags";
    }
    void escapeCancelsEveryDialogAndChangesNothing() {
        QFETCH(QString, dialog);
        TEditFixture f(MainsNamed("A"));
        f.Tick("A");
        const QByteArray before = f.Channel(QStringLiteral("A"))->ToBytes();
        TEditCommands commands(f.Doc);
        QSignalSpy changed(&f.Doc, &TChannelDocument::ChannelsChanged);
        QString shown;
        bool stayedOnShiftEscape = false;
        bool closedOnEscape = false;
        int result = -1;
        const auto modal = WhenModal([&](QWidget* w) {
            shown = w->objectName();
            if (auto* name = qobject_cast<TfrmEditName*>(w))
                Child<QLineEdit>(name, "edtName")->setText(QStringLiteral("News"));
            if (auto* group = qobject_cast<TfrmSetGroup*>(w))
                group->SetItemIndex(3);
            if (auto* property = qobject_cast<TfrmSetProperty*>(w))
                property->SetItemIndex(1);
            if (auto* flags = qobject_cast<TfrmSetEPGFlags*>(w))
                Child<QCheckBox>(flags, "chbDVBEPG")->setChecked(true);
            QWidget* focus = w->focusWidget() ? w->focusWidget() : w;
            QTest::keyClick(focus, Qt::Key_Escape, Qt::ShiftModifier);
            stayedOnShiftEscape = w->isVisible();
            QTest::keyClick(focus, Qt::Key_Escape);
            closedOnEscape = !w->isVisible();
            result = qobject_cast<QDialog*>(w)->result();
        });
        if (dialog == QLatin1String("frmEditName"))
            commands.actRenameCategoryOrRootExecute(emCategory);
        else if (dialog == QLatin1String("frmSetGroup"))
            commands.actSetGroupExecute();
        else if (dialog == QLatin1String("frmSetProperty"))
            commands.actSetPropertyExecute(stRDS);
        else
            commands.actSetEPGFlagsExecute();
        QCOMPARE(shown, dialog);
        QVERIFY(stayedOnShiftEscape);
        QVERIFY(closedOnEscape);
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(f.Channel(QStringLiteral("A"))->ToBytes(), before);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!f.Doc.IsModified());
    }

    // The unsaved mark is the command's: set when its dialog is accepted, left when cancelled.
    void propertyCommandsMarkTheListOnlyWhenAccepted_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("accept");
        for (const char* dialog : {"frmSetGroup", "frmSetProperty", "frmSetEPGFlags"}) {
            QTest::addRow("%s accepted", dialog) << QString::fromLatin1(dialog) << true;
            QTest::addRow("%s cancelled", dialog) << QString::fromLatin1(dialog) << false;
        }
    }
    void propertyCommandsMarkTheListOnlyWhenAccepted() {
        QFETCH(QString, dialog);
        QFETCH(bool, accept);
        TEditFixture f({EditRec(QStringLiteral("A")), EditSub(QStringLiteral("a1")),
                        EditRec(QStringLiteral("B"))});
        f.Tick("A");
        TEditCommands commands(f.Doc);
        QSignalSpy marked(&f.Doc, &TChannelDocument::ModifiedChanged);
        QVERIFY(!f.Doc.IsModified());

        const auto answer = WhenModal([&](QWidget* w) {
            QCOMPARE(w->objectName(), dialog);
            // Any choice will do: the first item of a radio group, the first flag.
            if (auto* item = w->findChild<QRadioButton*>())
                item->click();
            if (auto* flag = w->findChild<QCheckBox*>())
                flag->setChecked(true);
            auto* button = Child<QPushButton>(w, accept ? "btnOk" : "btnCancel");
            QVERIFY(button);
            button->click();
        });
        if (dialog == u"frmSetGroup")
            commands.actSetGroupExecute();
        else if (dialog == u"frmSetProperty")
            commands.actSetPropertyExecute(stRDS);
        else
            commands.actSetEPGFlagsExecute();
        QVERIFY(answer->Ran());
        QCOMPARE(f.Doc.IsModified(), accept);
        QCOMPARE(marked.count(), accept ? 1 : 0);
    }

    void commandsRunTheirDialogsAndApplyTheResult() {
        TEditFixture f({EditRec(QStringLiteral("A")), EditSub(QStringLiteral("a1")),
                        EditRec(QStringLiteral("B"))});
        f.Tick("A");
        TEditCommands commands(f.Doc);
        QSignalSpy changed(&f.Doc, &TChannelDocument::ChannelsChanged);

        const auto category = WhenModal([](QWidget* w) {
            auto* dialog = qobject_cast<TfrmEditName*>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Category"));
            Child<QLineEdit>(dialog, "edtName")->setText(QStringLiteral("News"));
            Child<QPushButton>(dialog, "btnOk")->click();
        });
        commands.actRenameCategoryOrRootExecute(emCategory);
        QCOMPARE(f.Channel(QStringLiteral("A"))->Category(), QStringLiteral("News"));
        QCOMPARE(f.Channel(QStringLiteral("a1"))->Category(), QStringLiteral("News"));
        QCOMPARE(f.Channel(QStringLiteral("B"))->Category(), QStringLiteral("Cat"));
        QCOMPARE(changed.count(), 1);

        f.Select(f.Node(QStringLiteral("B")));
        const auto name = WhenModal([](QWidget* w) {
            auto* dialog = qobject_cast<TfrmEditName*>(w);
            QVERIFY(dialog);
            QCOMPARE(Child<QLineEdit>(dialog, "edtName")->text(), QStringLiteral("B"));
            Child<QLineEdit>(dialog, "edtName")->setText(QStringLiteral("Bee"));
            Child<QPushButton>(dialog, "btnOk")->click();
        });
        commands.actEditChannelNameExecute();
        QCOMPARE(f.Tree().ChannelAt(1)->Name(), QStringLiteral("Bee"));
        QCOMPARE(changed.count(), 2);

        // A name that does not fit reaches the error box; the channel keeps its name.
        const auto tooLong = WhenModal([](QWidget* w) {
            auto* dialog = qobject_cast<TfrmEditName*>(w);
            QVERIFY(dialog);
            Child<QLineEdit>(dialog, "edtName")->setText(QString(70, u'z'));
            Child<QPushButton>(dialog, "btnOk")->click();
        });
        commands.actEditChannelNameExecute();
        QCOMPARE(f.Tree().ChannelAt(1)->Name(), QStringLiteral("Bee"));
        QCOMPARE(TDialogSeam::Shown().back().Kind, TMessageKind::Error);

        const auto rds = WhenModal([](QWidget* w) {
            auto* dialog = qobject_cast<TfrmSetProperty*>(w);
            QVERIFY(dialog);
            QCOMPARE(Child<QGroupBox>(dialog, "rgProperties")->title(),
                     QStringLiteral("Has &RDS (Radio Data System)"));
            Item(Child<QGroupBox>(dialog, "rgProperties"), QStringLiteral("Yes"))->click();
            Child<QPushButton>(dialog, "btnOk")->click();
        });
        commands.actSetPropertyExecute(stRDS);
        QVERIFY(f.Channel(QStringLiteral("A"))->HasRDS());
        QCOMPARE(changed.count(), 3);

        // Cancel leaves everything as it was.
        const auto cancelled = WhenModal([](QWidget* w) {
            auto* dialog = qobject_cast<TfrmSetEPGFlags*>(w);
            QVERIFY(dialog);
            Child<QCheckBox>(dialog, "chbDVBEPG")->setChecked(true);
            Child<QPushButton>(dialog, "btnCancel")->click();
        });
        commands.actSetEPGFlagsExecute();
        QCOMPARE(f.Channel(QStringLiteral("A"))->EpgFlags(), quint8(0));
        QCOMPARE(changed.count(), 3);
    }
};

QTEST_MAIN(TestEditDialogs)
#include "tst_editdialogs.moc"
