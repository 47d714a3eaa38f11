#pragma once

#include "channels/UChannelRec.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A channel record built field by field: only what the viewer's numbering looks at.
struct TChannelSpec {
    quint8 Tuner = ttSatellite;
    quint16 SID = 1;
    quint16 TID = 1;
    quint16 NID = 1;
    quint32 IP = 0;   // Frequency
    quint32 Port = 0; // Symbolrate
    bool Encrypted = false;
    bool Sub = false;
    QByteArray Name;
};

TChannelRec MakeRec(const TChannelSpec& wanted);
// A channel file: a "B2C2" header followed by the records.
QByteArray MakeChannelFile(const std::vector<TChannelSpec>& specs);

// orvane-viewer-standin --headless, run for one test.
class TStandinProcess {
public:
    ~TStandinProcess();
    // Starts it on the folder and waits until it has registered; false (with the reason in
    // Error()) when it did not come up.
    bool Start(const QString& dataFolder, bool recorder = false);
    // SIGTERM, and waits for the exit.
    bool Terminate();
    // SIGINT (Ctrl+C), and waits for the exit.
    bool Interrupt();
    // SIGKILL: it gets no chance to remove its entries.
    bool Kill();
    // Waits for the stand-in to print a line that starts with the prefix; returns it.
    QString WaitForLine(const QString& prefix, int timeoutMs = 5000);
    QString Error() const { return FError; }
    qint64 Pid() const;

private:
    std::unique_ptr<QProcess> FProcess;
    QStringList FLines;
    QString FError;
};

QString StandinProgram();
