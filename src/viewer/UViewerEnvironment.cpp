#include "viewer/UViewerEnvironment.h"

#include "platform/UAtomicFile.h"
#include "platform/UAutomationClient.h"
#include "platform/UOrvaneError.h"
#include "platform/UProcessInfo.h"
#include "platform/UServices.h"
#include "platform/UViewerAutomation.h"
#include "settings/USettings.h"

#include <QDir>
#include <QFile>

QString ViewerActiveObjectName() {
    return u'!' + QString::fromUtf16(ViewerClassID);
}

bool IsViewerDisplayName(const QString& displayName) {
    const qsizetype open = displayName.indexOf(u'{');
    const qsizetype close = displayName.indexOf(u'}');
    if (open < 0 || close < 0)
        return false;
    // The text from the "{" whose length is the 1-based position of the "}" less one. Taken
    // only when that much text is there: a shorter piece would let "ab{ID}" pass as the viewer.
    const qsizetype length = close; // 1-based position (close + 1) less one
    if (open + length > displayName.size())
        return false;
    return QStringView(displayName).mid(open, length) == QStringView(ViewerClassID);
}

bool IsViewerRunning() {
    for (const QString& name : RunningObjectDisplayNames()) {
        if (IsViewerDisplayName(name))
            return true;
    }
    return false;
}

bool IsViewerProcessRunning() {
    return IsProcessRunningByName(QStringLiteral("DVBViewer.exe"));
}

bool MayViewerHoldList() {
    return IsViewerRunning() || IsViewerProcessRunning();
}

TAutomationClient ConnectToViewer() {
    const QString classId = QString::fromUtf16(ViewerClassID);
    if (!ActiveObjectRegistration(classId))
        throw EAutomationError(QStringLiteral("DVBViewer is not running."));
    return ConnectToActiveObject(classId);
}

QString GetViewerDataFolder() {
    if (!IsViewerRunning())
        return QString();
    return ConnectToViewer().DataFolder();
}

void DetectFolders() {
    const QString viewerFolder = GetViewerDataFolder();
    Settings().DVBViewerDataFolder = viewerFolder;
    Settings().DefaultWorkFolder =
        GetProgramDataFolder() + QStringLiteral("Channels") + QDir::separator();
}

int GetServiceState(const QString& machineName, const QString& serviceName) {
    return QueryServiceState(machineName, serviceName);
}

bool IsRecorderServiceRunning() {
    return GetServiceState(QStringLiteral("127.0.0.1"), QString::fromUtf16(RecorderServiceName)) ==
           ServiceStateRunning;
}

void CopyFileContents(const QString& source, const QString& destination) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw EFOpenError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(source, in.errorString()));
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw EReadError(
            QStringLiteral("Cannot read file \"%1\". %2").arg(source, in.errorString()));
    // Backups are written like every other file: read back and compared before they
    // replace anything.
    WriteFileAtomically(destination, bytes);
}
