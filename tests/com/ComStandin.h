#pragma once

// The Windows stand-in viewer as a process of its own, for the tests that talk to it through
// COM.

#include <QProcess>
#include <QString>
#include <QStringList>

class TComStandin {
public:
    TComStandin() = default;
    TComStandin(const TComStandin&) = delete;
    TComStandin& operator=(const TComStandin&) = delete;
    ~TComStandin();

    // Started headless, serving the folder; true once it has registered.
    bool Start(const QString& dataFolder, const QStringList& options = {});
    // The first line of its output that starts so, waiting for it; empty when none came.
    QString WaitForLine(const QString& prefix, int timeoutMs = 20000);
    // Ends it the clean way; true when it ended on its own with code 0.
    bool End();
    // Ends it as a crash would.
    bool Kill();

private:
    QProcess FProcess;
    QStringList FLines;
};
