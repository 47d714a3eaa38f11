#include "common/GuiTest.h"
#include "common/MainWindowFixture.h"
#include "help/About.h"
#include "help/UHelp.h"
#include "help/UTextInfo.h"
#include "iptv/UMakeIPTVXepg.h"
#include "main/UEditName.h"
#include "main/UMain.h"
#include "main/USetEPGFlags.h"
#include "main/USetGroup.h"
#include "main/USetProperty.h"
#include "restore/URestore.h"
#include "selection/UCheckCategories.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "selection/USearch.h"
#include "settings/UCodePage.h"
#include "settings/USettingsWindow.h"
#include "structure/UMakeManHappy.h"
#include "viewer/UFolders.h"

#include <QTest>

#include <functional>
#include <map>
#include <memory>

namespace {

using TMakeWindow = std::function<std::unique_ptr<QWidget>(TfrmMain&)>;

// Every window of the program, made as its command makes it, over the main window.
const std::map<QString, TMakeWindow>& Windows() {
    static const std::map<QString, TMakeWindow> windows = {
        {QStringLiteral("frmMain"), [](TfrmMain&) { return nullptr; }},
        {QStringLiteral("frmRestore"),
         [](TfrmMain& main) { return std::unique_ptr<QWidget>(main.CreateRestoreWindow()); }},
        {QStringLiteral("frmMakeManHappy"),
         [](TfrmMain& main) {
             return std::make_unique<TfrmMakeManHappy>(main.Document(), main.TheStructure(), &main);
         }},
        {QStringLiteral("frmMakeIPTVXepg"),
         [](TfrmMain& main) { return std::make_unique<TfrmMakeIPTVXepg>(main.Document()); }},
        {QStringLiteral("frmEditName"),
         [](TfrmMain& main) { return std::make_unique<TfrmEditName>(main.Tree()); }},
        {QStringLiteral("frmSetGroup"),
         [](TfrmMain& main) { return std::make_unique<TfrmSetGroup>(&main); }},
        {QStringLiteral("frmSetProperty"),
         [](TfrmMain& main) { return std::make_unique<TfrmSetProperty>(&main); }},
        {QStringLiteral("frmSetEPGFlags"),
         [](TfrmMain& main) { return std::make_unique<TfrmSetEPGFlags>(&main); }},
        {QStringLiteral("frmChecking"),
         [](TfrmMain& main) { return std::make_unique<TfrmChecking>(&main); }},
        {QStringLiteral("frmGoTo"),
         [](TfrmMain& main) { return std::make_unique<TfrmGoTo>(&main); }},
        {QStringLiteral("frmSearch"),
         [](TfrmMain& main) { return std::make_unique<TfrmSearch>(&main); }},
        {QStringLiteral("frmCheckCategories"),
         [](TfrmMain& main) { return std::make_unique<TfrmCheckCategories>(&main); }},
        {QStringLiteral("frmFolders"),
         [](TfrmMain& main) { return std::make_unique<TfrmFolders>(&main); }},
        {QStringLiteral("frmSettings"),
         [](TfrmMain& main) { return std::make_unique<TfrmSettings>(&main); }},
        {QStringLiteral("frmCodePage"),
         [](TfrmMain& main) { return std::make_unique<TfrmCodePage>(&main); }},
        {QStringLiteral("frmHelp"),
         [](TfrmMain& main) { return std::make_unique<TfrmHelp>(&main); }},
        {QStringLiteral("frmInfo"),
         [](TfrmMain& main) { return std::make_unique<TfrmInfo>(&main); }},
        {QStringLiteral("AboutBox"),
         [](TfrmMain& main) { return std::make_unique<TAboutBox>(&main); }},
    };
    return windows;
}

} // namespace

// Tests and scripts find a window's controls and actions by their object names, so a name
// must pick out one control or one action of its window.
class TestObjectNames : public QObject {
    Q_OBJECT

    TMainWindowFixture F;

private Q_SLOTS:
    void init() { QVERIFY(F.Init()); }
    void cleanup() { F.Cleanup(); }

    void eachNameIsUniqueWithinItsWindow_data() {
        QTest::addColumn<QString>("window");
        for (const auto& [name, make] : Windows())
            QTest::newRow(qPrintable(name)) << name;
    }
    void eachNameIsUniqueWithinItsWindow() {
        QFETCH(QString, window);
        const std::unique_ptr<QWidget> made = Windows().at(window)(F.Main());
        QWidget* shown = made ? made.get() : &F.Main();
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCOMPARE(shown->objectName(), window);
        QCOMPARE(NamesSharedWithinWindow(shown), QStringList());
        QCOMPARE(NamesOnSeveralKinds(shown), QStringList());
    }
};

QTEST_MAIN(TestObjectNames)
#include "tst_objectnames.moc"
