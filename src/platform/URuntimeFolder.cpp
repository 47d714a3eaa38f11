#include "platform/URuntimeFolder.h"

#include "platform/UOrvaneError.h"
#include "platform/UProcessInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

QString RuntimeFolder() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString base;
    if (!xdg.isEmpty())
        base = QDir::cleanPath(xdg) + QStringLiteral("/orvane");
    else
        base = QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/orvane-") +
               QString::number(CurrentUserId());
    return base + u'/';
}

QString RuntimeSubFolder(const QString& name) {
    return RuntimeFolder() + name + u'/';
}

namespace {

std::optional<qint64> GOwnerForTesting;

qint64 ExpectedOwner() {
    return GOwnerForTesting ? *GOwnerForTesting : CurrentUserId();
}

bool IsPrivate(const QString& path, bool folder) {
    // Without the trailing separator, or a link to a folder would be examined as the folder.
    const std::optional<TPathOwnership> info = PathOwnership(QDir::cleanPath(path));
    return info && (folder ? info->IsDir : info->IsFile) && info->OwnerId == ExpectedOwner() &&
           !info->WritableByOthers;
}

} // namespace

bool IsPrivateFolder(const QString& folder) {
    return IsPrivate(folder, true);
}

bool IsPrivateFile(const QString& path) {
    return IsPrivate(path, false);
}

void SetPrivateOwnerForTesting(std::optional<qint64> userId) {
    GOwnerForTesting = userId;
}

bool EnsurePrivateFolder(const QString& folder) {
    constexpr QFile::Permissions UserOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    const QString root = RuntimeFolder();
    for (const QString& path : {root, folder}) {
        if (PathOwnership(QDir::cleanPath(path))) {
            // Made by someone else, or open to others: not ours to trust, nor to repair.
            if (!IsPrivateFolder(path))
                return false;
            continue;
        }
        if (!QDir().mkpath(path))
            return false;
        QFile::setPermissions(path, UserOnly);
    }
    return IsPrivateFolder(root) && IsPrivateFolder(folder);
}

namespace {
// Entries are a few dozen bytes; anything much larger is not one of ours.
constexpr qint64 MaxEntrySize = 64 * 1024;
} // namespace

bool IsPlainFileName(const QString& name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(0));
}

bool ReadRuntimeEntry(const QString& path, QJsonObject& object) {
    if (!IsPrivateFolder(RuntimeFolder()) || !IsPrivateFolder(QFileInfo(path).absolutePath()) ||
        !IsPrivateFile(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxEntrySize)
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(MaxEntrySize));
    if (!doc.isObject())
        return false;
    object = doc.object();
    return true;
}

void WriteRuntimeEntry(const QString& folder, const QString& name, const QJsonObject& object) {
    if (!IsPlainFileName(name))
        throw EFCreateError(
            QStringLiteral(
                "Cannot create the entry \"%1\" in %2: the name is not a plain file name.")
                .arg(name, folder));
    if (!EnsurePrivateFolder(folder))
        throw EFCreateError(QStringLiteral("Cannot create the folder %1.").arg(folder));
    QSaveFile file(folder + name);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(object).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        throw EFCreateError(
            QStringLiteral("Cannot write the file %1: %2").arg(folder + name, file.errorString()));
    // Whatever the umask: an entry that others may write is not believed by its readers.
    QFile::setPermissions(folder + name, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                             QFile::WriteUser);
}

void RemoveOwnRuntimeEntry(const QString& path) {
    // Nothing of ours can be in a folder that is not ours.
    if (!IsPrivateFolder(QFileInfo(path).absolutePath()))
        return;
    QJsonObject object;
    if (ReadRuntimeEntry(path, object) && object.value(u"pid").toInteger() != CurrentProcessId())
        return;
    QFile::remove(path);
}
