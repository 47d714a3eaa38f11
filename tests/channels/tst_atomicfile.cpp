#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

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

void TestAtomicFile::readOnlyTargetIsACreateError() {
    const QString file = FDir->filePath(u"locked.dat"_s);
    WriteFileAtomically(file, "old");
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadUser));
    if (QFileInfo(file).isWritable())
        QSKIP("running with rights that ignore file permissions");
    QVERIFY(ErrorOf([&] { WriteFileAtomically(file, "new"); }).startsWith(u"EFCreateError"_s));
    QCOMPARE(Contents(file), QByteArray("old"));
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
