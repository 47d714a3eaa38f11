#include "ViewerFixtures.h"

#include <QDeadlineTimer>
#include <QDir>
#include <csignal>
#include <cstring>

TChannelRec MakeRec(const TChannelSpec& wanted) {
    TChannelRec rec{};
    rec.TunerData.TunerType = wanted.Tuner;
    rec.TunerData.Flags =
        static_cast<quint8>((wanted.Encrypted ? flEncrypted : 0) | (wanted.Sub ? 0x80 : 0) | 0x08);
    rec.TunerData.Frequency = wanted.IP;
    rec.TunerData.Symbolrate = wanted.Port;
    rec.TunerData.Service_ID = wanted.SID;
    rec.TunerData.TransportStream_ID = wanted.TID;
    rec.TunerData.OriginalNetwork_ID = wanted.NID;
    const int n = std::min<int>(wanted.Name.size(), ShortStringCapacity);
    rec.ChannelName.Len = static_cast<quint8>(n);
    std::memcpy(rec.ChannelName.Chars, wanted.Name.constData(), static_cast<size_t>(n));
    return rec;
}

QByteArray MakeChannelFile(const std::vector<TChannelSpec>& specs) {
    QByteArray bytes("\x04"
                     "B2C2\x01\x00",
                     HeaderSize);
    for (const TChannelSpec& wanted : specs) {
        const TChannelRec rec = MakeRec(wanted);
        bytes.append(reinterpret_cast<const char*>(&rec), sizeof rec);
    }
    return bytes;
}

QString StandinProgram() {
    return qEnvironmentVariable("ORVANE_BINARY_DIR") +
           QStringLiteral("/tools/viewer-standin/orvane-viewer-standin");
}

TStandinProcess::~TStandinProcess() {
    if (FProcess && FProcess->state() != QProcess::NotRunning)
        Terminate();
}

bool TStandinProcess::Start(const QString& dataFolder, bool recorder) {
    FProcess = std::make_unique<QProcess>();
    FProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--data-folder"), dataFolder, QStringLiteral("--headless")};
    if (recorder)
        args << QStringLiteral("--recorder");
    FProcess->start(StandinProgram(), args);
    if (!FProcess->waitForStarted(5000)) {
        FError =
            QStringLiteral("cannot start %1: %2").arg(StandinProgram(), FProcess->errorString());
        return false;
    }
    // Sanitised builds start slowly.
    if (WaitForLine(QStringLiteral("Ready"), 20000).isEmpty()) {
        FError = QStringLiteral("the stand-in did not report ready");
        return false;
    }
    return true;
}

QString TStandinProcess::WaitForLine(const QString& prefix, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        while (FProcess->canReadLine())
            FLines << QString::fromLocal8Bit(FProcess->readLine()).trimmed();
        for (qsizetype i = 0; i < FLines.size(); ++i) {
            if (FLines[i].startsWith(prefix))
                return FLines.takeAt(i);
        }
        if (deadline.hasExpired() || FProcess->state() == QProcess::NotRunning)
            return QString();
        FProcess->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

bool TStandinProcess::Terminate() {
    FProcess->terminate();
    return FProcess->waitForFinished(10000) && FProcess->exitStatus() == QProcess::NormalExit &&
           FProcess->exitCode() == 0;
}

bool TStandinProcess::Interrupt() {
    ::kill(static_cast<pid_t>(FProcess->processId()), SIGINT);
    return FProcess->waitForFinished(10000) && FProcess->exitStatus() == QProcess::NormalExit &&
           FProcess->exitCode() == 0;
}

bool TStandinProcess::Kill() {
    FProcess->kill();
    // Reaped before the caller looks: a zombie would still count as a running process.
    return FProcess->waitForFinished(10000);
}

qint64 TStandinProcess::Pid() const {
    return FProcess ? FProcess->processId() : 0;
}
