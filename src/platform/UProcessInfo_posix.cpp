#include "platform/UProcessInfo.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

qint64 CurrentProcessId() {
    return static_cast<qint64>(::getpid());
}

bool IsProcessAlive(qint64 pid) {
    // pid_t is narrower than qint64: an id that does not fit could only alias another process.
    if (pid <= 0 || pid != static_cast<qint64>(static_cast<pid_t>(pid)))
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) == 0)
        return true;
    // The process exists but belongs to someone else.
    return errno == EPERM;
}

qint64 CurrentUserId() {
    return static_cast<qint64>(::getuid());
}

std::optional<TPathOwnership> PathOwnership(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    TPathOwnership result;
    result.IsDir = S_ISDIR(info.st_mode);
    result.IsFile = S_ISREG(info.st_mode);
    result.OwnerId = static_cast<qint64>(info.st_uid);
    result.WritableByOthers = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return result;
}

bool IsProcessRunningByName(const QString&) {
    return false;
}
