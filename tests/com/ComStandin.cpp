#include "com/ComStandin.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

TComStandin::~TComStandin() {
    if (FProcess.state() != QProcess::NotRunning) {
        FProcess.kill();
        FProcess.waitForFinished(10000);
    }
}

bool TComStandin::Start(const QString& dataFolder, const QStringList& options) {
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(qEnvironmentVariable("ORVANE_BINARY_DIR") +
                       QStringLiteral("/tools/viewer-standin/orvane-viewer-standin.exe"),
                   QStringList{QStringLiteral("--data-folder"), dataFolder,
                               QStringLiteral("--headless"), QStringLiteral("--until-input-ends")} +
                       options);
    return FProcess.waitForStarted(10000) && !WaitForLine(QStringLiteral("Ready")).isEmpty();
}

QString TComStandin::WaitForLine(const QString& prefix, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        while (FProcess.canReadLine())
            FLines << QString::fromLocal8Bit(FProcess.readLine()).trimmed();
        for (qsizetype i = 0; i < FLines.size(); ++i) {
            if (FLines[i].startsWith(prefix))
                return FLines.takeAt(i);
        }
        if (deadline.hasExpired() || FProcess.state() == QProcess::NotRunning)
            return QString();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        FProcess.waitForReadyRead(10);
    }
}

bool TComStandin::End() {
    FProcess.closeWriteChannel();
    return FProcess.waitForFinished(20000) && FProcess.exitStatus() == QProcess::NormalExit &&
           FProcess.exitCode() == 0;
}

bool TComStandin::Kill() {
    FProcess.kill();
    return FProcess.waitForFinished(10000);
}
