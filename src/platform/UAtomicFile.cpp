#include "platform/UAtomicFile.h"

#include "platform/UOrvaneError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace {

qint64 NextWriteFailureAfter = -1;
int NextSyncError = 0;
int WritesBeforeFailure = 0;

// What the test seam makes of the write under way: nothing, a failure after some bytes, or
// a failure when the bytes are flushed to the disk.
struct TSeamFault {
    qint64 FailAfter = -1;
    int SyncError = 0;
};

TSeamFault TakeSeamFault() {
    TSeamFault fault;
    if (WritesBeforeFailure > 0) {
        --WritesBeforeFailure;
        return fault;
    }
    fault.FailAfter = NextWriteFailureAfter;
    fault.SyncError = NextSyncError;
    NextWriteFailureAfter = -1;
    NextSyncError = 0;
    return fault;
}

QString SystemErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString Quoted(const QString& fileName) {
    return u'"' + QDir::toNativeSeparators(fileName) + u'"';
}

[[noreturn]] void RaiseCreateError(const QString& fileName, const QString& reason) {
    throw EFCreateError(QStringLiteral("Cannot create file %1. %2").arg(Quoted(fileName), reason));
}

[[noreturn]] void RaiseWriteError(const QString& fileName, const QString& reason) {
    throw EWriteError(QStringLiteral("Cannot write file %1. %2").arg(Quoted(fileName), reason));
}

// Writes the image, or only its first bytes when the test seam asks for a failure.
void WriteImage(QFile& file, const QString& fileName, const QByteArray& image) {
    const TSeamFault fault = TakeSeamFault();
    const qint64 failAfter = fault.FailAfter;
    if (failAfter >= 0 && failAfter < image.size()) {
        file.write(image.constData(), failAfter);
        RaiseWriteError(fileName, QStringLiteral("No space left on device (simulated)"));
    }
    qint64 done = 0;
    while (done < image.size()) {
        const qint64 n = file.write(image.constData() + done, image.size() - done);
        if (n <= 0)
            RaiseWriteError(fileName, file.errorString());
        done += n;
    }
    if (!file.flush())
        RaiseWriteError(fileName, file.errorString());
    // A full disk may take every byte into its cache and refuse them only here (the test seam
    // answers in its place). The bytes must be on the disk before the rename makes them the
    // file: a crash in between must leave the old file, never an empty new one.
    int syncError = fault.SyncError;
#ifdef Q_OS_UNIX
    if (syncError == 0 && ::fsync(file.handle()) != 0)
        syncError = errno;
#elif defined(Q_OS_WIN)
    if (syncError == 0 && ::_commit(file.handle()) != 0)
        syncError = errno;
#endif
    if (syncError != 0)
        RaiseWriteError(fileName, SystemErrorText(syncError));
}

// Compares the file with the image through one small buffer: a second whole image in memory
// would cost as much as the write itself on a large list.
bool ReadsBackUnchanged(QFile& file, const QByteArray& image) {
    if (file.size() != image.size())
        return false;
    constexpr qint64 ChunkSize = 1 << 20;
    QByteArray chunk(qMin<qint64>(ChunkSize, image.size()), Qt::Uninitialized);
    qint64 done = 0;
    while (done < image.size()) {
        const qint64 n = file.read(chunk.data(), qMin<qint64>(chunk.size(), image.size() - done));
        if (n <= 0 || std::memcmp(chunk.constData(), image.constData() + done, size_t(n)) != 0)
            return false;
        done += n;
    }
    // Nothing may follow the image either.
    char extra = 0;
    return file.read(&extra, 1) == 0;
}

// A file of a name of its own beside the target, removed again unless it became the target.
// It is made the way any program makes a new file (read and write for everyone less the
// umask, or what the folder's default rules say): a temporary file is made owner-only, and
// that mode would stay with a new list, backup or settings file after the rename.
class TTemporaryBeside {
public:
    TTemporaryBeside() = default;
    ~TTemporaryBeside() {
        if (!FKept && FFile.isOpen())
            FFile.close();
        if (!FKept && !FCreated.isEmpty())
            QFile::remove(FCreated);
    }
    TTemporaryBeside(const TTemporaryBeside&) = delete;
    TTemporaryBeside& operator=(const TTemporaryBeside&) = delete;

    bool Open(const QFileInfo& target) {
        const QString stem = target.absoluteDir().filePath(u'.' + target.fileName() + u'.');
        for (int attempt = 0; attempt < 100; ++attempt) {
            FFile.setFileName(stem + RandomTag() + QStringLiteral(".tmp"));
            if (FFile.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
                FCreated = FFile.fileName();
                return true;
            }
            // Only a name that is taken is worth another try.
            if (!QFileInfo(FFile.fileName()).exists())
                return false;
        }
        return false;
    }
    QFile& File() { return FFile; }
    QString FileName() const { return FFile.fileName(); }
    void Keep() { FKept = true; }

private:
    static QString RandomTag() {
        static constexpr char Letters[] =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        QString tag;
        for (int i = 0; i < 6; ++i)
            tag +=
                QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)]);
        return tag;
    }

    QFile FFile;
    QString FCreated;
    bool FKept = false;
};

} // namespace

void SetNextWriteFailureAfter(qint64 bytes) {
    SetWriteFailureAfter(bytes, 0);
}

void SetWriteFailureAfter(qint64 bytes, int writesBefore) {
    NextWriteFailureAfter = bytes;
    NextSyncError = 0;
    WritesBeforeFailure = bytes >= 0 ? writesBefore : 0;
}

void SetWriteFailureAtSync(int systemError, int writesBefore) {
    NextWriteFailureAfter = -1;
    NextSyncError = systemError;
    WritesBeforeFailure = systemError != 0 ? writesBefore : 0;
}

void WriteFileAtomically(const QString& fileName, const QByteArray& image) {
    // A link stays a link: the file it points to is the one replaced.
    QFileInfo target(fileName);
    if (target.isSymLink())
        target = QFileInfo(target.symLinkTarget());
    if (target.exists() && (target.isDir() || !target.isWritable()))
        RaiseCreateError(fileName, QStringLiteral("Access denied."));

    // The temporary file stands beside the target, so the final rename stays on one file
    // system and replaces the target in one step.
    TTemporaryBeside temp;
    if (!temp.Open(target)) {
        TakeSeamFault();
        RaiseCreateError(fileName, temp.File().errorString());
    }
    // A file that is replaced keeps its mode; a new one keeps the mode it was made with.
    if (target.exists())
        temp.File().setPermissions(target.permissions());
    WriteImage(temp.File(), fileName, image);

    // Read back what actually reached the file before it replaces the old one.
    {
        QFile check(temp.FileName());
        if (!check.open(QIODevice::ReadOnly))
            RaiseWriteError(fileName, check.errorString());
        if (!ReadsBackUnchanged(check, image))
            RaiseWriteError(fileName,
                            QStringLiteral("The written data could not be read back unchanged."));
    }
    temp.File().close();

    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temp.FileName().toStdU16String()),
                            std::filesystem::path(target.absoluteFilePath().toStdU16String()),
                            error);
    if (error)
        RaiseCreateError(fileName, QString::fromStdString(error.message()));
    temp.Keep();
}
