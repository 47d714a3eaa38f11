#include "platform/UProcessInfo.h"

#include <cerrno>
#include <csignal>
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
