#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QByteArray ReadWholeFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t NobodyId = 65534;

bool IsRoot() {
    return ::geteuid() == 0;
}

} // namespace

TOrdinaryUser::TOrdinaryUser() {
    // The test's own temporary folder may sit below folders only root can pass through.
    FFolder = IsRoot() ? std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/orvane-user-XXXXXX"))
                       : std::make_unique<QTemporaryDir>();
    if (!FFolder->isValid() || (IsRoot() && ::chown(QFile::encodeName(FFolder->path()).constData(),
                                                    NobodyId, NobodyId) != 0))
        FFolder.reset();
}

TOrdinaryUser::~TOrdinaryUser() = default;

QString TOrdinaryUser::Folder() const {
    return FFolder ? FFolder->path() : QString();
}

QString TOrdinaryUser::Run(const std::function<QString()>& part) const {
    if (!FFolder)
        return QStringLiteral("no folder for the ordinary user");
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe to the child");
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return QStringLiteral("no child process");
    }
    if (child == 0) {
        ::close(channel[0]);
        QByteArray result;
        if (IsRoot() && (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 ||
                         ::setuid(NobodyId) != 0 || ::geteuid() == 0))
            result = "the child could not drop root's rights";
        else
            result = part().toUtf8();
        const char* data = result.constData();
        qsizetype left = result.size();
        while (left > 0) {
            const ssize_t n = ::write(channel[1], data, size_t(left));
            if (n <= 0)
                break;
            data += n;
            left -= n;
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray result;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        result.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child process did not end normally: ") +
               QString::fromUtf8(result);
    return QString::fromUtf8(result);
}

#else

// Elsewhere a read-only file is refused to every user, so the part runs here.
TOrdinaryUser::TOrdinaryUser() : FFolder(std::make_unique<QTemporaryDir>()) {
    if (!FFolder->isValid())
        FFolder.reset();
}

TOrdinaryUser::~TOrdinaryUser() = default;

QString TOrdinaryUser::Folder() const {
    return FFolder ? FFolder->path() : QString();
}

QString TOrdinaryUser::Run(const std::function<QString()>& part) const {
    return FFolder ? part() : QStringLiteral("no folder for the ordinary user");
}

#endif

bool RunningUnderWine() {
#ifdef Q_OS_WIN
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}
