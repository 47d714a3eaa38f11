#include "common/TestSupport.h"
#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QString ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EOrvaneError& e) {
        return e.ClassName() + u": "_s + e.Message();
    }
    return {};
}

QByteArray Contents(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void writesNewAndReplacesOldFile();
    void failedWriteLeavesOldFileAndNoTemporary_data();
    void failedWriteLeavesOldFileAndNoTemporary();
    void failureSeamAppliesToOneWriteOnly();
    void linkedTargetKeepsTheLink();
    void missingFolderIsACreateError();
    void readOnlyTargetIsACreateError();
    void newFileGetsTheUsualModeAndAReplacedOneKeepsItsOwn_data();
    void newFileGetsTheUsualModeAndAReplacedOneKeepsItsOwn();
    void fullDiskAtTheFlushKeepsTheOldFile();

private:
    QStringList FolderEntries() const {
        return QDir(FDir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    std::unique_ptr<QTemporaryDir> FDir;
};

void TestAtomicFile::init() {
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
}

void TestAtomicFile::cleanup() {
    SetNextWriteFailureAfter(-1);
    FDir.reset();
}

void TestAtomicFile::writesNewAndReplacesOldFile() {
    const QString file = FDir->filePath(u"channels.dat"_s);
    WriteFileAtomically(file, "first");
    QCOMPARE(Contents(file), QByteArray("first"));
    WriteFileAtomically(file, QByteArray(100000, 'x'));
    QCOMPARE(Contents(file), QByteArray(100000, 'x'));
    WriteFileAtomically(file, QByteArray());
    QCOMPARE(Contents(file), QByteArray());
    QCOMPARE(FolderEntries(), QStringList({u"channels.dat"_s}));
}

void TestAtomicFile::failedWriteLeavesOldFileAndNoTemporary_data() {
    QTest::addColumn<qint64>("failAfter");
    QTest::newRow("before the first byte") << qint64(0);
    QTest::newRow("in the middle") << qint64(500);
    QTest::newRow("before the last byte") << qint64(999);
}

void TestAtomicFile::failedWriteLeavesOldFileAndNoTemporary() {
    QFETCH(qint64, failAfter);
    const QString file = FDir->filePath(u"channels.dat"_s);
    WriteFileAtomically(file, "old");
    SetNextWriteFailureAfter(failAfter);
    const QString error = ErrorOf([&] { WriteFileAtomically(file, QByteArray(1000, 'n')); });
    QVERIFY2(
        error.startsWith(u"EWriteError: Cannot write file \""_s + QDir::toNativeSeparators(file)),
        qPrintable(error));
    QCOMPARE(Contents(file), QByteArray("old"));
    QCOMPARE(FolderEntries(), QStringList({u"channels.dat"_s}));
}

void TestAtomicFile::failureSeamAppliesToOneWriteOnly() {
    const QString file = FDir->filePath(u"a.dat"_s);
    SetNextWriteFailureAfter(1);
    QVERIFY(!ErrorOf([&] { WriteFileAtomically(file, "abc"); }).isEmpty());
    QVERIFY(!QFile::exists(file));
    WriteFileAtomically(file, "abc");
    QCOMPARE(Contents(file), QByteArray("abc"));
}

void TestAtomicFile::linkedTargetKeepsTheLink() {
#ifdef Q_OS_WIN
    // QFile::link makes a shell shortcut there, a file of its own that nothing follows when
    // reading; symbolic links need a right ordinary users lack, and Wine cannot make them.
    QSKIP("Windows has no link that an ordinary user can make and a reader follows");
#endif
    const QString real = FDir->filePath(u"real.dat"_s);
    const QString link = FDir->filePath(u"link.dat"_s);
    WriteFileAtomically(real, "old");
    QVERIFY(QFile::link(real, link));
    WriteFileAtomically(link, "new");
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(Contents(real), QByteArray("new"));
}

void TestAtomicFile::missingFolderIsACreateError() {
    const QString file = FDir->filePath(u"no/such/folder/channels.dat"_s);
    const QString error = ErrorOf([&] { WriteFileAtomically(file, "x"); });
    QVERIFY2(error.startsWith(u"EFCreateError: Cannot create file \""_s), qPrintable(error));
    QVERIFY2(error.contains(u"channels.dat"_s), qPrintable(error));
}

// A read-only list is refused, not replaced behind the user's back. The folder is the user's
// own, so without the refusal the rename would go through.
void TestAtomicFile::readOnlyTargetIsACreateError() {
    const TOrdinaryUser user;
    QVERIFY(!user.Folder().isEmpty());
    const QString failure = user.Run([folder = user.Folder()]() -> QString {
        const QString file = folder + u"/locked.dat"_s;
        const QString first = ErrorOf([&] { WriteFileAtomically(file, "old"); });
        if (!first.isEmpty())
            return u"the first write failed: "_s + first;
        if (!QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadUser))
            return u"the file could not be made read-only"_s;
        if (QFileInfo(file).isWritable())
            return u"the child still has rights that ignore file permissions"_s;
        const QString error = ErrorOf([&] { WriteFileAtomically(file, "new"); });
        if (!error.startsWith(u"EFCreateError: Cannot create file \""_s) ||
            !error.contains(u"locked.dat"_s))
            return u"not refused as a create error: "_s + error;
        if (Contents(file) != "old")
            return u"the read-only file was changed"_s;
        const QStringList entries =
            QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
        if (entries != QStringList{u"locked.dat"_s})
            return u"left beside it: "_s + entries.join(u", "_s);
        return {};
    });
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

// Modes of the files written: a new file gets what any program's new file gets, read and
// write for everyone less the umask; a replaced file keeps the mode it had.
void TestAtomicFile::newFileGetsTheUsualModeAndAReplacedOneKeepsItsOwn_data() {
    QTest::addColumn<int>("umaskBits");
    QTest::addColumn<int>("oldMode"); // -1: no file before
    QTest::addColumn<int>("expected");
    QTest::newRow("new file, umask 022") << 0022 << -1 << 0644;
    QTest::newRow("new file, umask 002") << 0002 << -1 << 0664;
    QTest::newRow("new file, umask 027") << 0027 << -1 << 0640;
    QTest::newRow("replaced 0600 file, umask 022") << 0022 << 0600 << 0600;
    QTest::newRow("replaced 0640 file, umask 002") << 0002 << 0640 << 0640;
    QTest::newRow("replaced 0666 file, umask 077") << 0077 << 0666 << 0666;
}

void TestAtomicFile::newFileGetsTheUsualModeAndAReplacedOneKeepsItsOwn() {
#ifdef Q_OS_UNIX
    QFETCH(int, umaskBits);
    QFETCH(int, oldMode);
    QFETCH(int, expected);
    const QString file = FDir->filePath(u"list.dat"_s);
    if (oldMode >= 0) {
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode_t(oldMode)), 0);
    }
    const mode_t saved = ::umask(mode_t(umaskBits));
    const QString error = ErrorOf([&] { WriteFileAtomically(file, "channels"); });
    ::umask(saved);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), expected);
    QCOMPARE(Contents(file), QByteArray("channels"));
    QCOMPARE(FolderEntries(), QStringList({u"list.dat"_s}));
#else
    QSKIP("files have no mode bits here");
#endif
}

// A full disk often takes every byte into its cache and says no only when they are flushed.
void TestAtomicFile::fullDiskAtTheFlushKeepsTheOldFile() {
    const QString file = FDir->filePath(u"channels.dat"_s);
    WriteFileAtomically(file, "old");
    SetWriteFailureAtSync(ENOSPC);
    const QString error = ErrorOf([&] { WriteFileAtomically(file, "new bytes"); });
    QCOMPARE(error, u"EWriteError: Cannot write file \""_s + QDir::toNativeSeparators(file) +
                        u"\". "_s + QString::fromLocal8Bit(std::strerror(ENOSPC)));
    QCOMPARE(Contents(file), QByteArray("old"));
    QCOMPARE(FolderEntries(), QStringList({u"channels.dat"_s}));
    // The seam is spent: the next write goes through.
    WriteFileAtomically(file, "new bytes");
    QCOMPARE(Contents(file), QByteArray("new bytes"));
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
