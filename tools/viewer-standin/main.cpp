// orvane-viewer-standin --data-folder DIR [--recorder] [--headless]
//
// Stands in for a running DVBViewer: serves DIR as its data folder, builds its channel table
// from DIR/channels.dat (one row per record, in file order), switches to the channel it is
// told and shows which one that is. With --recorder it also announces the recording service
// as running. Everything it registers is removed again when it ends, also when it is asked
// to end (SIGTERM, Ctrl+C).

#include "StandinApplication.h"
#include "StandinChannels.h"
#include "platform/UOrvaneError.h"
#include "platform/UProcessInfo.h"
#include "platform/URunningObjects.h"
#include "platform/URuntimeFolder.h"
#include "platform/UServices.h"
#include "platform/UTerminationRequest.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVBoxLayout>
#include <QWidget>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QString ViewerDisplayName = QStringLiteral("!{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E30}");
const QString RecorderService = QStringLiteral("DVBVRecorder");
// A request is one short line; a peer that sends more is not a client of ours.
constexpr qsizetype MaxRequestSize = 64 * 1024;

class TStandin {
public:
    TStandin(QString dataFolder, bool recorder, bool headless)
        : FDataFolder(std::move(dataFolder)), FRecorder(recorder), FHeadless(headless) {
        FChannels = ReadChannelFile(FDataFolder + QStringLiteral("channels.dat"));
        FRecordOfNumber = NumberChannels(FChannels);
    }

    ~TStandin() { Stop(); }

    void Start() {
        const QString socketFolder = RuntimeSubFolder(QStringLiteral("sockets"));
        if (!EnsurePrivateFolder(socketFolder))
            throw EFCreateError(QStringLiteral("Cannot create the folder %1.").arg(socketFolder));
        const QString socketPath =
            socketFolder + QStringLiteral("viewer-%1.sock").arg(CurrentProcessId());
        QLocalServer::removeServer(socketPath);
        FServer.setSocketOptions(QLocalServer::UserAccessOption);
        if (!FServer.listen(socketPath))
            throw EFCreateError(
                QStringLiteral("Cannot listen on %1: %2").arg(socketPath, FServer.errorString()));
        QObject::connect(&FServer, &QLocalServer::newConnection, &FServer, [this] { Accept(); });
        RegisterRunningObject(ViewerDisplayName, FServer.fullServerName());
        FRegistered = true;
        if (FRecorder) {
            RegisterService(RecorderService, ServiceStateRunning);
            FServiceRegistered = true;
        }
        if (!FHeadless)
            ShowWindow();
        // The channels the viewer lists under a number of their own; further audio tracks
        // of a channel are records, but not channels to choose.
        Print(QStringLiteral("Ready %1 channels").arg(FRecordOfNumber.size()));
    }

    void Stop() {
        if (FRegistered)
            UnregisterRunningObject(ViewerDisplayName);
        if (FServiceRegistered)
            UnregisterService(RecorderService);
        FRegistered = FServiceRegistered = false;
        FServer.close();
    }

private:
    void Accept() {
        while (QLocalSocket* socket = FServer.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [this, socket] { Serve(socket); });
            if (socket->bytesAvailable() > 0)
                Serve(socket);
        }
    }

    void Serve(QLocalSocket* socket) {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > MaxRequestSize)
                socket->abort();
            return;
        }
        const QByteArray line = socket->readLine(MaxRequestSize);
        const QJsonObject reply = Answer(QJsonDocument::fromJson(line).object());
        socket->write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
        socket->flush();
        socket->disconnectFromServer();
    }

    QJsonObject Answer(const QJsonObject& request) {
        QJsonObject reply;
        const QString call = request.value(u"call").toString();
        if (call == u"DataFolder") {
            reply.insert(QStringLiteral("result"), FDataFolder);
        } else if (call == u"GetChannels") {
            QJsonArray rows;
            for (const TViewerChannel& c : FChannels) {
                QJsonArray row;
                for (qint64 v : c.Columns)
                    row.append(v);
                rows.append(row);
            }
            reply.insert(QStringLiteral("count"), static_cast<qint64>(FChannels.size()));
            reply.insert(QStringLiteral("rows"), rows);
        } else if (call == u"SetCurrentChannelNr") {
            const qint64 number = request.value(u"value").toInteger(-1);
            if (number < 0 || number >= static_cast<qint64>(FRecordOfNumber.size())) {
                reply.insert(QStringLiteral("error"),
                             QStringLiteral("There is no channel number %1.").arg(number));
            } else {
                Tune(static_cast<int>(number));
                reply.insert(QStringLiteral("result"), true);
            }
        } else {
            reply.insert(QStringLiteral("error"), QStringLiteral("Unknown call \"%1\".").arg(call));
        }
        return reply;
    }

    void Tune(int number) {
        const QString name = FChannels[static_cast<size_t>(FRecordOfNumber[number])].Name;
        Print(QStringLiteral("Tuned %1 %2").arg(number).arg(name));
        if (FTunedLabel)
            FTunedLabel->setText(QStringLiteral("Channel %1: %2").arg(number).arg(name));
    }

    void ShowWindow() {
        FWindow = std::make_unique<QWidget>();
        FWindow->setWindowTitle(QStringLiteral("DVBViewer stand-in"));
        auto* layout = new QVBoxLayout(FWindow.get());
        layout->addWidget(
            new QLabel(QStringLiteral("Data folder: %1\nChannels: %2%3")
                           .arg(FDataFolder)
                           .arg(FRecordOfNumber.size())
                           .arg(FRecorder ? QStringLiteral("\nRecorder running") : QString())));
        FTunedLabel = new QLabel(QStringLiteral("Not tuned"));
        QFont font = FTunedLabel->font();
        font.setPointSizeF(font.pointSizeF() * 2);
        FTunedLabel->setFont(font);
        layout->addWidget(FTunedLabel);
        FWindow->resize(420, 140);
        FWindow->show();
    }

    void Print(const QString& line) {
        std::fputs(line.toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    QString FDataFolder;
    bool FRecorder;
    bool FHeadless;
    std::vector<TViewerChannel> FChannels;
    std::vector<int> FRecordOfNumber;
    QLocalServer FServer;
    bool FRegistered = false;
    bool FServiceRegistered = false;
    std::unique_ptr<QWidget> FWindow;
    QLabel* FTunedLabel = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = MakeStandinApplication(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stands in for a running DVBViewer."));
    parser.addHelpOption();
    const QCommandLineOption dataFolder(QStringLiteral("data-folder"),
                                        QStringLiteral("The viewer's data folder."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption recorder(QStringLiteral("recorder"),
                                      QStringLiteral("Also run the recording service."));
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("No window; print each tune on a line."));
    parser.addOptions({dataFolder, recorder, headless});
    parser.process(*app);
    if (!parser.isSet(dataFolder)) {
        std::fputs("orvane-viewer-standin: --data-folder DIR is required\n", stderr);
        return 2;
    }
    const QString folder = QDir(parser.value(dataFolder)).absolutePath() + u'/';

    if (!QuitEventLoopOnTerminationRequest())
        return 1;

    TStandin standin(folder, parser.isSet(recorder), parser.isSet(headless));
    try {
        standin.Start();
    } catch (const EOrvaneError& e) {
        std::fprintf(stderr, "orvane-viewer-standin: %s\n", e.what());
        return 1;
    }
    const int rc = app->exec();
    standin.Stop();
    return rc;
}
