#include "common/GuiTest.h"
#include "help/About.h"
#include "help/UHelp.h"
#include "help/UMyHelp.h"
#include "help/URtfDocument.h"
#include "help/URtfReader.h"
#include "help/USizeGribPanel.h"
#include "help/UTextInfo.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include "common/TestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QList<TfrmHelp*> OpenHelpWindows() {
    QList<TfrmHelp*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* help = qobject_cast<TfrmHelp*>(widget))
            windows << help;
    }
    return windows;
}

void ProcessDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QString HelpFolder() {
    return GetProgramDataFolder() + u"Language/English/"_s;
}

} // namespace

// Receives the links the About window opens instead of the web browser.
class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> Urls;

public Q_SLOTS:
    void Open(const QUrl& url) { Urls << url; }
};

class TestHelpWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shippedPagesAreReadableRtf();
    void installWritesMissingPagesOnly();
    void installPrefersThePagesInstalledBesideTheProgram_data();
    void installPrefersThePagesInstalledBesideTheProgram();
    void pageNamesAndFiles();
    void helpPageOpensOneWindowPerPage();
    void closingEmptiesTheSlot();
    void missingPageShowsErrorAndLeavesNoWindow();
    void pagesWithoutFileShowError_data();
    void pagesWithoutFileShowError();
    void helpCopyTakesWholeText();
    void tabStopsCountFromTheMargin_data();
    void tabStopsCountFromTheMargin();

    void infoWindowRuns();
    void infoCopyTakesWholeTextAndKeepsSelection();
    void infoButtonsAndEscape();
    void enterPressesOKWhereverTheFocusIs_data();
    void enterPressesOKWhereverTheFocusIs();

    void aboutShowsVersionAndLinksNowhere();

    void gripArea_data();
    void gripArea();
    void draggingTheGripResizesTheWindow();

    void lookAtWindows();
};

void TestHelpWindows::initTestCase() {
    Q_INIT_RESOURCE(orvane_help);
}

void TestHelpWindows::init() {
    TDialogSeam::Install();
    QDir(GetProgramDataFolder()).removeRecursively();
}

void TestHelpWindows::cleanup() {
    HelpWindowsManager().CloseAll();
    ProcessDeletes();
    TDialogSeam::Uninstall();
}

void TestHelpWindows::shippedPagesAreReadableRtf() {
    const QStringList names = HelpPageNames();
    QCOMPARE(names.size(), 7);
    for (const QString& name : names) {
        QFile file(u":/help/Language/English/"_s + name + u".rtf"_s);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name));
        const QByteArray bytes = file.readAll();
        QVERIFY2(LooksLikeRtf(bytes), qPrintable(name));
        const TRtfDocument doc = ParseRtf(bytes);
        const QString text = doc.PlainText();
        QVERIFY2(text.trimmed().size() > 800, qPrintable(name));
        // A backslash in the text is markup the page got wrong.
        QVERIFY2(!text.contains(u'\\'), qPrintable(name));
        QVERIFY2(!text.contains(QChar::ReplacementCharacter), qPrintable(name));
        // Every page opens with a bold heading.
        QVERIFY2(!doc.Paragraphs.empty() && !doc.Paragraphs[0].Runs.empty() &&
                     doc.Paragraphs[0].Runs[0].Bold,
                 qPrintable(name));
    }
}

void TestHelpWindows::installWritesMissingPagesOnly() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + u"/Orvane/"_s;
    const QString english = folder + u"Language/English/"_s;

    QStringList written;
    QVERIFY(InstallHelpPages(folder, &written));
    QCOMPARE(written.size(), 7);
    for (const QString& name : HelpPageNames()) {
        const QString target = english + name + u".rtf"_s;
        QCOMPARE(ReadWholeFile(target),
                 ReadWholeFile(u":/help/Language/English/"_s + name + u".rtf"_s));
        // The user may edit the installed page.
        QVERIFY(QFileInfo(target).permissions() & QFile::WriteOwner);
    }

    // An edited page stays as the user left it; a deleted one comes back.
    const QByteArray edited = "{\\rtf1 my own notes}";
    QVERIFY(WriteWholeFile(english + u"Main.rtf"_s, edited));
    QVERIFY(QFile::remove(english + u"Restore.rtf"_s));
    written.clear();
    QVERIFY(InstallHelpPages(folder, &written));
    QCOMPARE(written, QStringList{english + u"Restore.rtf"_s});
    QCOMPARE(ReadWholeFile(english + u"Main.rtf"_s), edited);

    written.clear();
    QVERIFY(InstallHelpPages(folder, &written));
    QVERIFY(written.isEmpty());
}

void TestHelpWindows::installPrefersThePagesInstalledBesideTheProgram_data() {
    QTest::addColumn<QStringList>("installed"); // pages in the installed folder
    QTest::addColumn<bool>("folderExists");

    QTest::newRow("every page installed") << HelpPageNames() << true;
    QTest::newRow("some pages installed") << QStringList{u"Main"_s, u"IPTV2Xepg"_s} << true;
    QTest::newRow("empty folder") << QStringList() << true;
    QTest::newRow("no folder") << QStringList() << false;
}

void TestHelpWindows::installPrefersThePagesInstalledBesideTheProgram() {
    QFETCH(QStringList, installed);
    QFETCH(bool, folderExists);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.path() + u"/share/orvane/Language/English/"_s;
    if (folderExists)
        QVERIFY(QDir().mkpath(source));
    // Each installed page differs from the built-in one, so the test sees where it came from.
    for (const QString& name : installed)
        QVERIFY(WriteWholeFile(source + name + u".rtf"_s,
                               "{\\rtf1 installed page " + name.toLatin1() + "}"));

    const QString english = dir.path() + u"/Orvane/Language/English/"_s;
    QStringList written;
    QVERIFY(InstallHelpPagesFrom(dir.path() + u"/Orvane/"_s, source, &written));
    QCOMPARE(written.size(), 7);
    for (const QString& name : HelpPageNames()) {
        const QString from = installed.contains(name)
                                 ? source + name + u".rtf"_s
                                 : u":/help/Language/English/"_s + name + u".rtf"_s;
        QCOMPARE(ReadWholeFile(english + name + u".rtf"_s), ReadWholeFile(from));
    }
}

void TestHelpWindows::pageNamesAndFiles() {
    QCOMPARE(HelpPageNames(),
             (QStringList{u"HappyMan"_s, u"CodePage"_s, u"CheckUncheck"_s, u"Restore"_s,
                          u"Settings"_s, u"Main"_s, u"IPTV2Xepg"_s}));
    QCOMPARE(HelpPageName(hpSettings), u"Settings"_s);
    QCOMPARE(HelpPageName(hpUnused), QString());
    QCOMPARE(HelpPageName(-1), QString());
    QCOMPARE(HelpPageNumber(u"IPTV2Xepg"_s), 6);
    QCOMPARE(HelpPageNumber(u"Nothing"_s), -1);
    QCOMPARE(HelpPageNumber(QString()), -1);
    QCOMPARE(HelpFileName(u"Settings"_s),
             GetProgramDataFolder() + u"Language/English/Settings.rtf"_s);
}

void TestHelpWindows::helpPageOpensOneWindowPerPage() {
    QVERIFY(InstallHelpPages(GetProgramDataFolder()));

    ShowHelpPage(hpSettings);
    QVERIFY(TDialogSeam::Shown().empty());
    TfrmHelp* settings = HelpWindowsManager().Window(hpSettings);
    QVERIFY(settings);
    QVERIFY(settings->isVisible());
    QCOMPARE(settings->windowTitle(), u"Help-Settings"_s);
    QCOMPARE(settings->HID(), int(hpSettings));
    QCOMPARE(settings->FileName(), HelpFolder() + u"Settings.rtf"_s);
    QCOMPARE(settings->reHelp()->objectName(), u"reHelp"_s);
    QVERIFY(settings->reHelp()->isReadOnly());
    QVERIFY(settings->reHelp()->toPlainText().contains(u"Settings"_s));

    // The second request brings the same window forward.
    settings->showMinimized();
    ShowHelpPage(u"Settings"_s);
    QCOMPARE(HelpWindowsManager().Window(hpSettings), settings);
    QCOMPARE(OpenHelpWindows().size(), 1);
    QVERIFY(!settings->isMinimized());

    // Another page gets a window of its own.
    ShowHelpPage(hpMain);
    TfrmHelp* main = HelpWindowsManager().Window(hpMain);
    QVERIFY(main);
    QVERIFY(main != settings);
    QCOMPARE(main->windowTitle(), u"Help-Main"_s);
    QCOMPARE(OpenHelpWindows().size(), 2);
    QVERIFY(TDialogSeam::Shown().empty());
}

void TestHelpWindows::closingEmptiesTheSlot() {
    QVERIFY(InstallHelpPages(GetProgramDataFolder()));
    ShowHelpPage(hpRestore);
    ShowHelpPage(hpCodePage);

    QPointer<TfrmHelp> restore = HelpWindowsManager().Window(hpRestore);
    QVERIFY(restore);
    Child<QPushButton>(restore, "btnOK")->click();
    QVERIFY(!HelpWindowsManager().IsLaunched(hpRestore));
    ProcessDeletes();
    QVERIFY(restore.isNull());

    QPointer<TfrmHelp> codePage = HelpWindowsManager().Window(hpCodePage);
    QVERIFY(codePage);
    QTest::keyClick(codePage->reHelp(), Qt::Key_Escape, Qt::ShiftModifier);
    QVERIFY(HelpWindowsManager().IsLaunched(hpCodePage));
    QTest::keyClick(codePage->reHelp(), Qt::Key_Escape);
    QVERIFY(!HelpWindowsManager().IsLaunched(hpCodePage));
    ProcessDeletes();
    QVERIFY(codePage.isNull());

    // A closed page opens again in a fresh window.
    ShowHelpPage(hpRestore);
    QVERIFY(HelpWindowsManager().IsLaunched(hpRestore));
    QCOMPARE(OpenHelpWindows().size(), 1);
}

void TestHelpWindows::missingPageShowsErrorAndLeavesNoWindow() {
    QVERIFY(!QFileInfo::exists(HelpFolder()));
    ShowHelpPage(hpSettings);
    QCOMPARE(TDialogSeam::ShownTexts(), QStringList{u"Could not create/show help window"_s});
    QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::Error);
    QVERIFY(!HelpWindowsManager().IsLaunched(hpSettings));
    ProcessDeletes();
    QVERIFY(OpenHelpWindows().isEmpty());

    // The slot stayed empty, so once the pages are there the next request opens one.
    TDialogSeam::ClearShown();
    QVERIFY(InstallHelpPages(GetProgramDataFolder()));
    ShowHelpPage(hpSettings);
    QVERIFY(TDialogSeam::Shown().empty());
    QVERIFY(HelpWindowsManager().IsLaunched(hpSettings));
}

void TestHelpWindows::pagesWithoutFileShowError_data() {
    QTest::addColumn<int>("number");
    QTest::newRow("unused page 7") << 7;
    QTest::newRow("negative") << -1;
    QTest::newRow("beyond the table") << 8;
}

void TestHelpWindows::pagesWithoutFileShowError() {
    QFETCH(int, number);
    QVERIFY(InstallHelpPages(GetProgramDataFolder()));
    ShowHelpPage(number);
    QCOMPARE(TDialogSeam::ShownTexts(), QStringList{u"Could not create/show help window"_s});
    ProcessDeletes();
    QVERIFY(OpenHelpWindows().isEmpty());
}

void TestHelpWindows::helpCopyTakesWholeText() {
    QVERIFY(InstallHelpPages(GetProgramDataFolder()));
    ShowHelpPage(hpIPTV2Xepg);
    TfrmHelp* window = HelpWindowsManager().Window(hpIPTV2Xepg);
    QVERIFY(window);
    QApplication::clipboard()->clear();
    Child<QPushButton>(window, "btnCopy")->click();
    const QString text = window->reHelp()->toPlainText();
    QVERIFY(!text.isEmpty());
    QCOMPARE(QApplication::clipboard()->text(), text);
}

void TestHelpWindows::tabStopsCountFromTheMargin_data() {
    QTest::addColumn<QByteArray>("paragraph");
    QTest::addColumn<qreal>("afterTab"); // pixels from the margin, 15 twips each
    QTest::addColumn<qreal>("wrapped");  // where the wrapped lines start; -1: no check

    const QByteArray words(" Words enough to wrap the paragraph onto a second line and a third one"
                           " as well, whatever font the system lends to the page.");
    QTest::newRow("bullet, hanging part of the indent")
        << QByteArray("\\li360\\fi-240\\tx360\\bullet\\tab") + words << 24.0 << 24.0;
    QTest::newRow("number, hanging the whole indent")
        << QByteArray("\\li360\\fi-360\\tx360 1.\\tab") + words << 24.0 << 24.0;
    QTest::newRow("term and its text")
        << QByteArray("\\li2400\\fi-2400\\tx2400{\\b Term}\\tab") + words << 160.0 << 160.0;
    QTest::newRow("no indent") << QByteArray("\\tx1440 A\\tab B") << 96.0 << -1.0;
    QTest::newRow("first line indented further")
        << QByteArray("\\li720\\fi360\\tx2160 A\\tab") + words << 144.0 << 48.0;
}

void TestHelpWindows::tabStopsCountFromTheMargin() {
    QFETCH(QByteArray, paragraph);
    QFETCH(qreal, afterTab);
    QFETCH(qreal, wrapped);
    QTextDocument document;
    FillTextDocument(document, ParseRtf("{\\rtf1\\ansi\\pard" + paragraph + "\\par}"));
    document.setTextWidth(300);
    document.documentLayout()->documentSize(); // lays the text out

    const QTextBlock block = document.firstBlock();
    const int tab = block.text().indexOf(u'\t');
    QVERIFY(tab > 0);
    const QTextLayout* layout = block.layout();
    QVERIFY(layout->lineCount() >= 1);
    const QTextLine first = layout->lineAt(0);
    QCOMPARE(first.cursorToX(tab + 1), afterTab);
    if (wrapped >= 0) {
        QVERIFY(layout->lineCount() >= 2);
        const QTextLine second = layout->lineAt(1);
        QCOMPARE(second.cursorToX(second.textStart()), wrapped);
    }
}

void TestHelpWindows::infoWindowRuns() {
    TfrmInfo info;
    QCOMPARE(info.windowTitle(), u"Channel Info"_s);
    QCOMPARE(info.reInfo()->objectName(), u"reInfo"_s);
    QVERIFY(!info.reInfo()->tabChangesFocus());
    info.SetTabStops({150});
    info.AddText(u"Orvane 0.3.0.0\r\n"_s, Qt::black, true);
    info.AddText(u"\r\nFile: a.dat\r\n\r\nFile ID: "_s);
    info.AddText(u"B2C2\t"_s, Qt::red, true);
    info.AddText(u"File Version: "_s);
    info.AddText(u"1.08\r\n"_s, Qt::blue, true);

    QCOMPARE(info.PlainText(),
             u"Orvane 0.3.0.0\n\nFile: a.dat\n\nFile ID: B2C2\tFile Version: 1.08\n"_s);

    QTextDocument* doc = info.reInfo()->document();
    auto formatAt = [doc](const QString& needle) {
        QTextCursor cursor = doc->find(needle);
        return cursor.charFormat();
    };
    QVERIFY(formatAt(u"Orvane"_s).font().bold());
    QCOMPARE(formatAt(u"Orvane"_s).foreground().color(), QColor(Qt::black));
    QVERIFY(!formatAt(u"File:"_s).font().bold());
    QVERIFY(formatAt(u"B2C2"_s).font().bold());
    QCOMPARE(formatAt(u"B2C2"_s).foreground().color(), QColor(Qt::red));
    QVERIFY(!formatAt(u"Version"_s).font().bold());
    QCOMPARE(formatAt(u"1.08"_s).foreground().color(), QColor(Qt::blue));

    // Every paragraph, also those begun by later runs, has the tab stop at 150 points.
    const qreal expected = 150 * info.reInfo()->logicalDpiX() / 72.0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QList<QTextOption::Tab> tabs = block.blockFormat().tabPositions();
        QCOMPARE(tabs.size(), 1);
        QCOMPARE(tabs.front().position, expected);
    }
}

void TestHelpWindows::infoCopyTakesWholeTextAndKeepsSelection() {
    TfrmInfo info;
    info.AddText(u"first line\r\nsecond line"_s);
    QTextCursor part(info.reInfo()->document());
    part.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    info.reInfo()->setTextCursor(part);
    QApplication::clipboard()->clear();

    Child<QPushButton>(&info, "btnCopy")->click();
    QCOMPARE(QApplication::clipboard()->text(), u"first line\nsecond line"_s);
    QCOMPARE(info.reInfo()->textCursor().selectedText(), u"first line\u2029second line"_s);
}

void TestHelpWindows::infoButtonsAndEscape() {
    {
        TfrmInfo info;
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        Child<QPushButton>(&info, "btnOK")->click();
        QCOMPARE(info.result(), int(QDialog::Accepted));
    }
    {
        TfrmInfo info;
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        info.reInfo()->setFocus();
        QTest::keyClick(info.reInfo(), Qt::Key_Escape);
        QVERIFY(!info.isVisible());
        QCOMPARE(info.result(), int(QDialog::Rejected));
    }
}

void TestHelpWindows::enterPressesOKWhereverTheFocusIs_data() {
    QTest::addColumn<bool>("about");
    QTest::addColumn<QString>("okName");
    QTest::addColumn<QString>("okText");
    QTest::addColumn<QString>("focus");
    QTest::newRow("info, OK focused") << false << u"btnOK"_s << u"&OK"_s << u"btnOK"_s;
    // Copy takes no Enter: only a click copies.
    QTest::newRow("info, Copy focused") << false << u"btnOK"_s << u"&OK"_s << u"btnCopy"_s;
    QTest::newRow("about") << true << u"OKButton"_s << u"OK"_s << u"OKButton"_s;
}

void TestHelpWindows::enterPressesOKWhereverTheFocusIs() {
    QFETCH(bool, about);
    QFETCH(QString, okName);
    QFETCH(QString, okText);
    QFETCH(QString, focus);
    std::unique_ptr<QDialog> window;
    if (about) {
        window = std::make_unique<TAboutBox>();
    } else {
        auto info = std::make_unique<TfrmInfo>();
        info->AddText(u"some text"_s);
        window = std::move(info);
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* ok = Child<QPushButton>(window.get(), okName);
    QVERIFY(ok);
    QCOMPARE(ok->text(), okText);
    QVERIFY(ok->isDefault());
    if (!about) {
        auto* copy = Child<QPushButton>(window.get(), "btnCopy");
        QVERIFY(copy);
        QCOMPARE(copy->text(), u"&Copy"_s);
        QVERIFY(!copy->isDefault());
    }
    QApplication::clipboard()->setText(u"before"_s);
    auto* focused = Child<QPushButton>(window.get(), focus);
    QVERIFY(focused);
    focused->setFocus();
    QTest::keyClick(focused, Qt::Key_Return);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QCOMPARE(QApplication::clipboard()->text(), u"before"_s);
}

void TestHelpWindows::aboutShowsVersionAndLinksNowhere() {
    // The program has no public address: the About window names its home and change log
    // without sending anyone to an address that does not exist.
    TUrlRecorder recorder;
    QDesktopServices::setUrlHandler(u"https"_s, &recorder, "Open");
    QDesktopServices::setUrlHandler(u"http"_s, &recorder, "Open");
    {
        TAboutBox about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.windowTitle(), u"About"_s);
        QCOMPARE(about.lblVersion()->text(), QString::fromLatin1(OrvaneVersion));
        QCOMPARE(about.lblVersion()->text(), u"0.3.0.0"_s);
        QCOMPARE(about.size(), QSize(298, 302));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QLabel* home = Child<QLabel>(&about, "LinkHome");
        QLabel* changelog = Child<QLabel>(&about, "LinkChangelog");
        QVERIFY(home);
        QVERIFY(changelog);
        QCOMPARE(home->text(), u"Orvane home"_s);
        QCOMPARE(changelog->text(), u"Changelog"_s);

        for (QLabel* label : about.findChildren<QLabel*>()) {
            QVERIFY2(!label->text().contains(u"href"_s, Qt::CaseInsensitive),
                     qPrintable(label->text()));
            QVERIFY2(!label->text().contains(u"://"_s), qPrintable(label->text()));
            QVERIFY(!label->openExternalLinks());
            // A click on the text opens nothing.
            if (label->text().isEmpty())
                continue;
            QTest::mouseClick(about.windowHandle(), Qt::LeftButton, {},
                              label->mapTo(&about, label->rect().center()));
        }
        QCoreApplication::processEvents();
    }
    QDesktopServices::unsetUrlHandler(u"https"_s);
    QDesktopServices::unsetUrlHandler(u"http"_s);
    QVERIFY(recorder.Urls.isEmpty());
}

void TestHelpWindows::gripArea_data() {
    // Per axis: 0 the grip's last pixel, -1 its first pixel, -2 one pixel before it, below -2 that
    // far from the panel's last pixel.
    QTest::addColumn<QPoint>("fromCorner");
    QTest::addColumn<bool>("inGrip");
    QTest::newRow("corner pixel") << QPoint(0, 0) << true;
    QTest::newRow("top-left pixel of the grip") << QPoint(-1, -1) << true;
    QTest::newRow("left of the grip") << QPoint(-2, -1) << false;
    QTest::newRow("above the grip") << QPoint(-1, -2) << false;
    QTest::newRow("far left on the bottom row") << QPoint(-300, 0) << false;
}

void TestHelpWindows::gripArea() {
    QFETCH(QPoint, fromCorner);
    QFETCH(bool, inGrip);
    QWidget window;
    auto* panel = new TSizeGripPanel(&window);
    panel->setGeometry(0, 0, 400, 44);
    window.resize(400, 44);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QRect grip = panel->GripArea();
    const int extent = panel->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QCOMPARE(grip.size(), QSize(extent + panel->BevelWidth(), extent + panel->BevelWidth()));
    QCOMPARE(grip.bottomRight(), panel->rect().bottomRight());

    auto coordinate = [](int offset, int corner, int edge) {
        return offset == -1 ? edge : offset == -2 ? edge - 1 : corner + offset;
    };
    const QPoint point(coordinate(fromCorner.x(), grip.right(), grip.left()),
                       coordinate(fromCorner.y(), grip.bottom(), grip.top()));
    QCOMPARE(panel->IsInGripArea(point), inGrip);
    QCOMPARE(qobject_cast<QSizeGrip*>(panel->childAt(point)) != nullptr, inGrip);
}

void TestHelpWindows::draggingTheGripResizesTheWindow() {
    TfrmInfo info;
    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    const QSize before = info.size();
    auto* grip = Child<QSizeGrip>(&info, "SizeGrip");
    QVERIFY(grip);
    QVERIFY(grip->isVisible());
#ifdef Q_OS_WIN
    // Pressing the grip hands the drag to the system's own sizing loop, which follows the real
    // mouse and ignores synthesized events: what can be checked is that the system will size it.
    const auto style = GetWindowLongPtrW(reinterpret_cast<HWND>(info.winId()), GWL_STYLE);
    QVERIFY(style & WS_THICKFRAME);
    QVERIFY(info.minimumSize() != info.maximumSize());
    QSKIP("the system's sizing loop follows only the real mouse");
#endif
    const QPoint at = grip->rect().center();
    QTest::mousePress(grip, Qt::LeftButton, {}, at);
    QTest::mouseMove(grip, at + QPoint(40, 30));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, at + QPoint(40, 30));
    QTRY_COMPARE(info.size(), before + QSize(40, 30));
}

void TestHelpWindows::lookAtWindows() {
    const QString out = qEnvironmentVariable("ORVANE_HELP_SHOTS");
    if (out.isEmpty())
        QSKIP("set ORVANE_HELP_SHOTS to a folder to write pictures of the windows");
    QVERIFY(InstallHelpPages(GetProgramDataFolder()));
    for (const QString& name : HelpPageNames()) {
        ShowHelpPage(name);
        TfrmHelp* window = HelpWindowsManager().Window(HelpPageNumber(name));
        QVERIFY(window);
        QVERIFY(window->grab().save(out + u"/help-"_s + name + u".png"_s));
    }
    TAboutBox about;
    about.show();
    QVERIFY(about.grab().save(out + u"/about.png"_s));
    TfrmInfo info;
    info.SetTabStops({150});
    info.AddText(u"Orvane 0.3.0.0\r\n"_s, Qt::black, true);
    info.AddText(u"\r\nFile: /home/user/channels.dat\r\n\r\nFile ID: "_s);
    info.AddText(u"B2C2\t"_s, Qt::red, true);
    info.AddText(u"File Version: "_s);
    info.AddText(u"1.08\r\n\r\n"_s, Qt::blue, true);
    info.AddText(u"Main channels = 1200\r\n"_s);
    info.AddText(u"DVB-C (total):   "_s, Qt::blue, true);
    info.AddText(u"12\t"_s);
    info.AddText(u"DVB-C2:   "_s, Qt::red, true);
    info.AddText(u"3\r\n"_s);
    info.AddText(u"DVB-S (total):   "_s, Qt::blue, true);
    info.AddText(u"1000\t"_s);
    info.AddText(u"DVB-S2:   "_s, Qt::red, true);
    info.AddText(u"400\r\n"_s);
    info.show();
    QVERIFY(info.grab().save(out + u"/info.png"_s));
}

QTEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"
