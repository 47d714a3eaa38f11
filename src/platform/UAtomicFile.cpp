#include "platform/UAtomicFile.h"

#include "platform/UOrvaneError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

qint64 NextWriteFailureAfter = -1;
int WritesBeforeFailure = 0;

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
    qint64 failAfter = -1;
    if (WritesBeforeFailure > 0) {
        --WritesBeforeFailure;
    } else {
        failAfter = NextWriteFailureAfter;
        NextWriteFailureAfter = -1;
    }
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
#ifdef Q_OS_UNIX
    // The bytes must be on the disk before the rename makes them the file: a crash in
    // between must leave the old file, never an empty new one.
    if (::fsync(file.handle()) != 0)
        RaiseWriteError(fileName, QStringLiteral("The data could not be flushed to the disk."));
#endif
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

} // namespace

void SetNextWriteFailureAfter(qint64 bytes) {
    SetWriteFailureAfter(bytes, 0);
}

void SetWriteFailureAfter(qint64 bytes, int writesBefore) {
    NextWriteFailureAfter = bytes;
    WritesBeforeFailure = bytes >= 0 ? writesBefore : 0;
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
    QTemporaryFile temp(
        target.absoluteDir().filePath(u'.' + target.fileName() + QStringLiteral(".XXXXXX.tmp")));
    temp.setAutoRemove(true);
    if (!temp.open()) {
        if (WritesBeforeFailure > 0)
            --WritesBeforeFailure;
        else
            NextWriteFailureAfter = -1;
        RaiseCreateError(fileName, temp.errorString());
    }
    if (target.exists())
        temp.setPermissions(target.permissions());
    WriteImage(temp, fileName, image);

    // Read back what actually reached the file before it replaces the old one.
    {
        QFile check(temp.fileName());
        if (!check.open(QIODevice::ReadOnly))
            RaiseWriteError(fileName, check.errorString());
        if (!ReadsBackUnchanged(check, image))
            RaiseWriteError(fileName,
                            QStringLiteral("The written data could not be read back unchanged."));
    }
    temp.close();

    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temp.fileName().toStdU16String()),
                            std::filesystem::path(target.absoluteFilePath().toStdU16String()),
                            error);
    if (error)
        RaiseCreateError(fileName, QString::fromStdString(error.message()));
    temp.setAutoRemove(false);
}
