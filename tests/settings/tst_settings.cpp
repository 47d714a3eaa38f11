#include "common/TestSupport.h"
#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"
#include "settings/UIniFile.h"
#include "settings/USettings.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_WIN
#include <QScopeGuard>
#include <windows.h>
#endif

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

// The file's text without the byte order mark, split at CR LF.
QStringList FileLines(const QString& fileName) {
    QByteArray bytes = ReadWholeFile(fileName);
    if (bytes.startsWith(Bom))
        bytes.remove(0, 3);
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir FRoot;
    int FRun = 0;

    QString IniName() const { return SettingsFileName(); }
    // A settings file holding one section Orvane with these lines.
    void WriteOrvane(const QByteArray& lines) {
        QVERIFY(WriteWholeFile(IniName(), "[Orvane]\r\n" + lines));
    }
    // A file standing where the program's data folder belongs.
    QString BlockDataFolder() {
        QString blocker = GetProgramDataFolder();
        blocker.chop(1);
        return WriteWholeFile(blocker, "not a folder") ? blocker : QString();
    }

private Q_SLOTS:
    void init() {
        // Every case starts with a data folder of its own that does not exist yet. Windows has
        // one machine-wide folder: there each test program runs in a Wine prefix of its own, so
        // the program's folder in it can be removed; anywhere else it is a user's, never touched.
        QVERIFY(FRoot.isValid());
        const QString data = FRoot.filePath(QStringLiteral("run%1/data").arg(++FRun));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        ResetSettings();
#ifdef Q_OS_WIN
        if (qEnvironmentVariable("ORVANE_FRESH_WINE_PREFIX") != QStringLiteral("1"))
            QSKIP("the machine's own program data folder is in use here");
        QString folder = GetProgramDataFolder();
        folder.chop(1);
        QFile::remove(folder);
        QVERIFY(QDir(folder).removeRecursively());
#endif
    }

    void programDataFolderIsTheDataHomesOrvaneFolder() {
#ifdef Q_OS_WIN
        const QString data = QDir::toNativeSeparators(
            QDir::fromNativeSeparators(qEnvironmentVariable("ProgramData")));
        const QChar separator = u'\\';
#else
        const QString data = qEnvironmentVariable("XDG_DATA_HOME");
        const QChar separator = u'/';
#endif
        QVERIFY(!data.isEmpty());
        QCOMPARE(GetCommonAppDataFolder(), data + separator);
        QCOMPARE(GetProgramDataFolder(), data + separator + QStringLiteral("Orvane") + separator);
        QCOMPARE(SettingsFileName(), GetProgramDataFolder() + QStringLiteral("Orvane.Ini"));
        QVERIFY(!QDir(GetProgramDataFolder()).exists());
        QVERIFY(EnsureProgramDataFolder());
        QVERIFY(QDir(GetProgramDataFolder()).exists());
        QVERIFY(EnsureProgramDataFolder());
    }

    void ensureProgramDataFolderFailsUnderAFile() {
        QVERIFY(!BlockDataFolder().isEmpty());
        QVERIFY(!EnsureProgramDataFolder());
    }

    void firstRunWritesEveryKeyInOrder() {
        LoadSettings(); // no file: nothing changes
        QCOMPARE(Settings().PathMode, quint8(2));
        QCOMPARE(Settings().ChannelSeparator, QStringLiteral("   \u2022   "));

        SaveSettings(); // also creates the missing folders
        const QByteArray bytes = ReadWholeFile(IniName());
        QVERIFY(bytes.startsWith(QByteArray(Bom + "[Orvane]\r\n")));
        const QStringList expected = {
            QStringLiteral("[Orvane]"),
            QStringLiteral("PathMode=2"),
            QStringLiteral("DVBViewerDataFolder="),
            QStringLiteral("DefaultWorkFolder="),
            QStringLiteral("ConfirmSaveDVBViewer=1"),
            QStringLiteral("ConfirmOverwriteFile=1"),
            QStringLiteral("Version=0.3.0.0"),
            QStringLiteral("DoInfoFileSaved=1"),
            QStringLiteral("ConfirmDeleteChecked=1"),
            QStringLiteral("frmMainTop=50"),
            QStringLiteral("frmMainLeft=50"),
            QStringLiteral("frmMainClientHeight=608"),
            QStringLiteral("frmMainClientWidth=720"),
            QStringLiteral("frmCheckingTop=200"),
            QStringLiteral("frmCheckingLeft=200"),
            QStringLiteral("frmCheckingClientWidth=360"),
            QStringLiteral("frmCheckingClientHeight=700"),
            QStringLiteral("frmFoldersLeft=200"),
            QStringLiteral("frmFoldersTop=100"),
            QStringLiteral("frmMakeManHappyTop=200"),
            QStringLiteral("frmMakeManHappyLeft=200"),
            QStringLiteral("frmMakeManHappyClientHeight=586"),
            QStringLiteral("frmMakeManHappyClientWidth=413"),
            QStringLiteral("frmGoToTop=200"),
            QStringLiteral("frmGoToLeft=200"),
            QStringLiteral("frmSearchLeft=200"),
            QStringLiteral("frmSearchTop=200"),
            QStringLiteral("frmCheckCategoriesLeft=200"),
            QStringLiteral("frmCheckCategoriesTop=100"),
            QStringLiteral("frmCheckCategoriesClientHeight=565"),
            QStringLiteral("frmCheckCategoriesClientWidth=417"),
            QStringLiteral("frmRestoreLeft=200"),
            QStringLiteral("frmRestoreTop=100"),
            QStringLiteral("frmRestoreClientHeight=570"),
            QStringLiteral("frmRestoreClientWidth=426"),
            QStringLiteral("tvChannelsWidth=400"),
            QStringLiteral("CodepageIndex=0"),
            QStringLiteral("ForcedCodePage=-1"),
            QStringLiteral("FreeDragAndDropAllowed=0"),
            QStringLiteral("frmGoToVisible=0"),
            QStringLiteral("frmCheckingVisible=0"),
            QStringLiteral("ChannelSeparator=\"   \u2022   \""),
            QStringLiteral("RootSeparator=\"   >>>>>>\""),
            QString(),
        };
        QCOMPARE(FileLines(IniName()), expected);
    }

    void everyValueSurvivesARoundTrip() {
        TSettings& s = Settings();
        s.PathMode = 1;
        s.DVBViewerDataFolder = QStringLiteral("/srv/DVB Viewer/\u0416/");
        s.DefaultWorkFolder = QStringLiteral("  work  ");
        s.ConfirmOverwriteFile = false;
        s.CodepageIndex = 1;
        s.ForcedCodePage = 1251;
        s.FreeDragAndDropAllowed = true;
        s.frmCheckingVisible = true;
        s.frmRestoreClientWidth = -3;
        s.tvChannelsWidth = 123;
        SaveSettings();
        const TSettings saved = s;
        ResetSettings();
        LoadSettings();
        QCOMPARE(s.PathMode, quint8(1));
        QCOMPARE(s.DVBViewerDataFolder, saved.DVBViewerDataFolder);
        // Unquoted texts lose their end blanks, as in every INI file.
        QCOMPARE(s.DefaultWorkFolder, QStringLiteral("work"));
        QCOMPARE(s.ConfirmOverwriteFile, false);
        QCOMPARE(s.ConfirmSaveDVBViewer, true);
        QCOMPARE(s.CodepageIndex, 1);
        QCOMPARE(s.ForcedCodePage, 1251);
        QCOMPARE(s.FreeDragAndDropAllowed, true);
        QCOMPARE(s.frmCheckingVisible, true);
        QCOMPARE(s.frmGoToVisible, false);
        QCOMPARE(s.frmRestoreClientWidth, -3);
        QCOMPARE(s.tvChannelsWidth, 123);
    }

    void foreignContentKeptCommentsDropped() {
        QVERIFY(WriteWholeFile(IniName(), "stray line before any section\r\n"
                                          "; a comment\r\n"
                                          "[Other]\r\n"
                                          "  Foo  =  bar baz  \r\n"
                                          "   lone line   \r\n"
                                          "\r\n"
                                          "[orvane]\r\n"
                                          "Unknown=5\r\n"
                                          "; another comment\r\n"
                                          "pathMODE = 1\r\n"
                                          "Version=0.1\r\n"
                                          "[Last]\r\n"
                                          "x=1"));
        LoadSettings();
        QCOMPARE(Settings().PathMode, quint8(1));
        Settings().PathMode = 0;
        SaveSettings();

        const QStringList lines = FileLines(IniName());
        const QStringList head = {
            QStringLiteral("[Other]"),
            QStringLiteral("Foo=bar baz"),
            QStringLiteral("lone line"),
            QString(),
            QStringLiteral("[orvane]"),
            QStringLiteral("Unknown=5"),
            QStringLiteral("pathMODE=0"),
            QStringLiteral("Version=0.3.0.0"),
            QStringLiteral("DVBViewerDataFolder="),
        };
        QCOMPARE(lines.mid(0, head.size()), head);
        const QStringList tail = {QStringLiteral("RootSeparator=\"   >>>>>>\""), QString(),
                                  QStringLiteral("[Last]"), QStringLiteral("x=1"), QString()};
        QCOMPARE(lines.mid(lines.size() - tail.size()), tail);
        // Each key stands once: 42 keys, 2 foreign lines, 3 headers, 3 empty lines, 2 more.
        QCOMPARE(lines.size(), 42 + 2 + 3 + 3 + 2);
        for (const QString& line : lines) {
            QVERIFY2(!line.startsWith(u';'), qPrintable(line));
            QVERIFY2(!line.startsWith(QStringLiteral("stray")), qPrintable(line));
        }
    }

    void separatorReadsFromFile_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two quotes are empty") << QByteArray("\"\"") << QString();
        QTest::newRow("one quote is empty") << QByteArray("\"") << QString();
        QTest::newRow("nothing") << QByteArray("") << QString();
        QTest::newRow("hand-edited without quotes") << QByteArray("abc") << QStringLiteral("abc");
        QTest::newRow("unquoted blanks are trimmed")
            << QByteArray("   a b   ") << QStringLiteral("a b");
        QTest::newRow("quoted blanks kept") << QByteArray("  \"  - \"  ") << QStringLiteral("  - ");
        QTest::newRow("one pair removed") << QByteArray("\"\"abc\"\"") << QStringLiteral("\"abc\"");
        QTest::newRow("only a closing quote") << QByteArray("abc\"") << QStringLiteral("abc");
        QTest::newRow("only an opening quote") << QByteArray("\"abc") << QStringLiteral("abc");
        QTest::newRow("quote inside") << QByteArray("a\"b") << QStringLiteral("a\"b");
        QTest::newRow("utf-8") << QByteArray("\" \xE2\x80\xA2 \"") << QStringLiteral(" \u2022 ");
    }
    void separatorReadsFromFile() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, expected);
        WriteOrvane("ChannelSeparator=" + stored + "\r\nRootSeparator=" + stored + "\r\n");
        LoadSettings();
        QCOMPARE(Settings().ChannelSeparator, expected);
        QCOMPARE(Settings().RootSeparator, expected);
    }

    void separatorSurvivesSaveAndLoad_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::newRow("empty") << QString() << QStringLiteral("ChannelSeparator=\"\"");
        QTest::newRow("typed with quotes")
            << QStringLiteral("\"abc\"") << QStringLiteral("ChannelSeparator=\"\"abc\"\"");
        QTest::newRow("blanks at the ends")
            << QStringLiteral("  ::  ") << QStringLiteral("ChannelSeparator=\"  ::  \"");
        QTest::newRow("one quote")
            << QStringLiteral("\"") << QStringLiteral("ChannelSeparator=\"\"\"");
        QTest::newRow("only blanks")
            << QStringLiteral("   ") << QStringLiteral("ChannelSeparator=\"   \"");
    }
    void separatorSurvivesSaveAndLoad() {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        Settings().ChannelSeparator = typed;
        Settings().RootSeparator = typed;
        SaveSettings();
        QVERIFY(FileLines(IniName()).contains(line));
        ResetSettings();
        LoadSettings();
        QCOMPARE(Settings().ChannelSeparator, typed);
        QCOMPARE(Settings().RootSeparator, typed);
    }

    void missingSeparatorKeepsValueInForce() {
        WriteOrvane("PathMode=1\r\n");
        Settings().ChannelSeparator = QStringLiteral("\"q\"");
        LoadSettings();
        QCOMPARE(Settings().ChannelSeparator, QStringLiteral("\"q\""));
        QCOMPARE(Settings().RootSeparator, QStringLiteral("   >>>>>>"));
    }

    void integerValues_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        const int def = 50;
        QTest::newRow("decimal") << QByteArray("77") << 77;
        QTest::newRow("blanks trimmed") << QByteArray("   77   ") << 77;
        QTest::newRow("negative") << QByteArray("-5") << -5;
        QTest::newRow("plus sign") << QByteArray("+7") << 7;
        QTest::newRow("dollar hex") << QByteArray("$1F") << 31;
        QTest::newRow("0x hex") << QByteArray("0x1f") << 31;
        QTest::newRow("0X hex") << QByteArray("0X10") << 16;
        QTest::newRow("hex all bits") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
        QTest::newRow("empty") << QByteArray("") << def;
        QTest::newRow("word") << QByteArray("abc") << def;
        QTest::newRow("trailing junk") << QByteArray("12abc") << def;
        QTest::newRow("inner blank") << QByteArray("1 2") << def;
        QTest::newRow("decimal overflow") << QByteArray("2147483648") << def;
        QTest::newRow("long overflow") << QByteArray("99999999999999999999999") << def;
        QTest::newRow("hex overflow") << QByteArray("$100000000") << def;
        QTest::newRow("dollar alone") << QByteArray("$") << def;
        QTest::newRow("0x alone") << QByteArray("0x") << def;
        QTest::newRow("hex digit in decimal") << QByteArray("1F") << def;
        QTest::newRow("sign alone") << QByteArray("-") << def;
        QTest::newRow("fraction") << QByteArray("1.5") << def;
    }
    void integerValues() {
        QFETCH(QByteArray, stored);
        QFETCH(int, expected);
        WriteOrvane("frmMainLeft=" + stored + "\r\n");
        LoadSettings();
        QCOMPARE(Settings().frmMainLeft, expected);
        QCOMPARE(Settings().frmMainTop, 50);
    }

    void booleanValues_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("confirmSave"); // default true
        QTest::addColumn<bool>("freeDrag");    // default false
        QTest::newRow("zero") << QByteArray("0") << false << false;
        QTest::newRow("one") << QByteArray("1") << true << true;
        QTest::newRow("any non-zero") << QByteArray("2") << true << true;
        QTest::newRow("negative") << QByteArray("-1") << true << true;
        QTest::newRow("hex zero") << QByteArray("$0") << false << false;
        QTest::newRow("hex non-zero") << QByteArray("0x10") << true << true;
        QTest::newRow("word keeps default") << QByteArray("true") << true << false;
        QTest::newRow("empty keeps default") << QByteArray("") << true << false;
    }
    void booleanValues() {
        QFETCH(QByteArray, stored);
        QFETCH(bool, confirmSave);
        QFETCH(bool, freeDrag);
        WriteOrvane("ConfirmSaveDVBViewer=" + stored + "\r\nFreeDragAndDropAllowed=" + stored);
        LoadSettings();
        QCOMPARE(Settings().ConfirmSaveDVBViewer, confirmSave);
        QCOMPARE(Settings().FreeDragAndDropAllowed, freeDrag);
    }

    void pathMode_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("expected");
        QTest::newRow("absent") << QByteArray("CodepageIndex=0") << 2;
        QTest::newRow("no path") << QByteArray("PathMode=0") << 0;
        QTest::newRow("small path") << QByteArray("PathMode=1") << 1;
        QTest::newRow("full path") << QByteArray("PathMode=2") << 2;
        QTest::newRow("seven") << QByteArray("PathMode=7") << 2;
        QTest::newRow("negative") << QByteArray("PathMode=-1") << 2;
        QTest::newRow("wraps to a byte 0") << QByteArray("PathMode=256") << 2;
        QTest::newRow("malformed") << QByteArray("PathMode=x") << 2;
    }
    void pathMode() {
        QFETCH(QByteArray, line);
        QFETCH(int, expected);
        Settings().PathMode = 2;
        WriteOrvane(line + "\r\n");
        LoadSettings();
        QCOMPARE(int(Settings().PathMode), expected);
    }

    void readsWithOrWithoutByteOrderMark_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray body = "[Orvane]\r\nPathMode=0\r\nChannelSeparator=\"\xE2\x80\xA2\"\r\n";
        QTest::newRow("with mark") << QByteArray(Bom + body);
        QTest::newRow("without mark") << body;
        QTest::newRow("line feeds only")
            << QByteArray(Bom + QByteArray(body).replace("\r\n", "\n"));
        QTest::newRow("carriage returns only") << QByteArray(body).replace("\r\n", "\r");
        QTest::newRow("no final line end") << QByteArray(Bom + body.chopped(2));
    }
    void readsWithOrWithoutByteOrderMark() {
        QFETCH(QByteArray, bytes);
        QVERIFY(WriteWholeFile(IniName(), bytes));
        LoadSettings();
        QCOMPARE(Settings().PathMode, quint8(0));
        QCOMPARE(Settings().ChannelSeparator, QStringLiteral("\u2022"));
        SaveSettings();
        const QByteArray written = ReadWholeFile(IniName());
        QVERIFY(
            written.startsWith(QByteArray(Bom + "[Orvane]\r\nPathMode=0\r\nChannelSeparator=")));
        QCOMPARE(written.count(Bom), 1);
    }

    void firstSectionOfTwoWithOneName() {
        WriteOrvane("PathMode=0\r\n[Orvane]\r\nPathMode=1\r\nFreeDragAndDropAllowed=1\r\n");
        LoadSettings();
        QCOMPARE(Settings().PathMode, quint8(0));
        QCOMPARE(Settings().FreeDragAndDropAllowed, false);
        SaveSettings();
        const QStringList lines = FileLines(IniName());
        // The second copy is foreign content now and stays as it was.
        QCOMPARE(lines.count(QStringLiteral("[Orvane]")), 2);
        QVERIFY(lines.contains(QStringLiteral("PathMode=1")));
    }

    void lineBreakInValueStaysOneLine() {
        Settings().DVBViewerDataFolder = QStringLiteral("/a\r\n[Evil]\nb/");
        SaveSettings();
        TIniFile ini(IniName());
        QVERIFY(!ini.SectionExists(QStringLiteral("Evil")));
        QCOMPARE(ini.ReadString(QStringLiteral("Orvane"), QStringLiteral("DVBViewerDataFolder"),
                                QString()),
                 QStringLiteral("/a  [Evil] b/"));
    }

    void effectiveCodePageFollowsForcedOne() {
        WriteOrvane("CodepageIndex=1\r\nForcedCodePage=1251\r\n");
        LoadSettings();
        QCOMPARE(Settings().PathMode, quint8(2));
        QCOMPARE(EffectiveCodePage(), 1251);
    }

    // The settings file is the user's like any other new file: not owner-only.
    void newSettingsFileGetsTheUsualMode() {
#ifdef Q_OS_UNIX
        const mode_t saved = ::umask(0022);
        SaveSettings();
        ::umask(saved);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(IniName()).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), 0644);
#else
        QSKIP("files have no mode bits here");
#endif
    }

    // A file that stands there but cannot be read: the values in force stay, the user learns
    // which file and why, and the file is never written over, also not once it could be read.
    void folderInPlaceOfTheFileIsReportedAndNeverWritten() {
        QVERIFY(QDir().mkpath(IniName() + QStringLiteral("/inside")));
        Settings().PathMode = 1;
        LoadSettings();
        QCOMPARE(Settings().PathMode, quint8(1));
        const QString failure = SettingsReadFailure();
        QVERIFY2(failure.startsWith(QStringLiteral("Cannot open file \"%1\". ")
                                        .arg(QDir::toNativeSeparators(IniName()))),
                 qPrintable(failure));
        QVERIFY2(failure.endsWith(QStringLiteral("changed settings are not saved in this run.")),
                 qPrintable(failure));
        SaveSettings();
        QVERIFY(QFileInfo(IniName() + QStringLiteral("/inside")).isDir());

        // Even once a readable file stands there, this run has not seen it.
        QVERIFY(QDir(IniName()).removeRecursively());
        const QByteArray theirs = "[Orvane]\r\nPathMode=0\r\n";
        QVERIFY(WriteWholeFile(IniName(), theirs));
        SaveSettings();
        QCOMPARE(ReadWholeFile(IniName()), theirs);

        // A fresh run reads it again.
        ResetSettings();
        LoadSettings();
        QCOMPARE(SettingsReadFailure(), QString());
        QCOMPARE(Settings().PathMode, quint8(0));
    }

    // No permission to read: root reads such a file all the same, so this runs as an
    // ordinary user in a child process.
    void fileWithoutReadPermissionIsReportedAndNeverWritten() {
#ifdef Q_OS_WIN
        QSKIP("Windows refuses reading through access lists, which Wine does not enforce; a file "
              "another program holds open is the Windows case, checked on its own");
#endif
        const TOrdinaryUser user;
        QVERIFY(!user.Folder().isEmpty());
        const QString failure = user.Run([folder = user.Folder()]() -> QString {
            qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
            ResetSettings();
            const QString ini = SettingsFileName();
            const QByteArray theirs = "[Orvane]\r\nPathMode=0\r\nDVBViewerDataFolder=/dvb/\r\n";
            if (!WriteWholeFile(ini, theirs) ||
                !QFile::setPermissions(ini, QFileDevice::WriteOwner))
                return QStringLiteral("the settings file could not be made");
            if (QFile(ini).open(QIODevice::ReadOnly))
                return QStringLiteral("the child may still read the file");
            LoadSettings();
            const QString told = SettingsReadFailure();
            if (!told.startsWith(QStringLiteral("Cannot open file \"%1\". ")
                                     .arg(QDir::toNativeSeparators(ini))) ||
                !told.contains(QStringLiteral("ermission")))
                return QStringLiteral("not told which file and why: ") + told;
            if (Settings().PathMode != 2 || !Settings().DVBViewerDataFolder.isEmpty())
                return QStringLiteral("values came from somewhere");
            Settings().PathMode = 1;
            try {
                SaveSettings();
            } catch (const EOrvaneError& e) {
                return QStringLiteral("saving raised: ") + e.Message();
            }
            QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            if (ReadWholeFile(ini) != theirs)
                return QStringLiteral("the unreadable file was written over");
            const QStringList entries =
                QDir(GetProgramDataFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
            if (entries != QStringList{QStringLiteral("Orvane.Ini")})
                return QStringLiteral("left beside it: ") + entries.join(u' ');
            return {};
        });
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // On Windows a program may hold a file open without sharing it: the viewer or an editor.
    void fileHeldByAnotherProgramIsReportedAndNeverWritten() {
#ifdef Q_OS_WIN
        const QByteArray theirs = "[Orvane]\r\nPathMode=0\r\n";
        QVERIFY(WriteWholeFile(IniName(), theirs));
        const QString native = QDir::toNativeSeparators(IniName());
        HANDLE held = CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()), GENERIC_READ, 0,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
        auto release = qScopeGuard([&held] {
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
        });
        LoadSettings();
        const QString failure = SettingsReadFailure();
        QVERIFY2(failure.startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(native)),
                 qPrintable(failure));
        QCOMPARE(Settings().PathMode, quint8(2));
        Settings().PathMode = 1;
        SaveSettings();
        release.dismiss();
        CloseHandle(held);
        QCOMPARE(ReadWholeFile(IniName()), theirs);
        QCOMPARE(QDir(GetProgramDataFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Orvane.Ini")});
#else
        QSKIP("only Windows keeps other programs out of a file one holds open");
#endif
    }

    void writeFailingHalfwayKeepsOldFile() {
        const QByteArray old = "[Orvane]\r\nPathMode=1\r\n[Mine]\r\nkeep=me\r\n";
        QVERIFY(WriteWholeFile(IniName(), old));
        Settings().PathMode = 0;
        SetNextWriteFailureAfter(20);
        try {
            SaveSettings();
            QFAIL("no error raised");
        } catch (const EWriteError& e) {
            QVERIFY2(e.Message().contains(QStringLiteral("Orvane.Ini")), qPrintable(e.Message()));
        }
        QCOMPARE(ReadWholeFile(IniName()), old);
        QCOMPARE(QDir(GetProgramDataFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Orvane.Ini")});
    }

    void uncreatableFolderIsReported() {
        const QString blocker = BlockDataFolder();
        QVERIFY(!blocker.isEmpty());
        QVERIFY_THROWS_EXCEPTION(EFCreateError, SaveSettings());
        QCOMPARE(ReadWholeFile(blocker), QByteArray("not a folder"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
