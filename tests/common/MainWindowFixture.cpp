#include "common/MainWindowFixture.h"

#include "common/ChannelFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAction>
#include <QStringList>
#include <QTest>
#include <QTimer>

TMainWindowFixture::TMainWindowFixture() = default;

TMainWindowFixture::~TMainWindowFixture() {
    Cleanup();
}

bool TMainWindowFixture::Prepare(TMainWindowPrepare how) {
    ResetSettings();
    if (how.Seam)
        TDialogSeam::Install();
    FDir = std::make_unique<QTemporaryDir>();
    if (!FDir->isValid()) {
        QTest::qFail("no temporary folder", __FILE__, __LINE__);
        return false;
    }
    Settings().DVBViewerDataFolder = FDir->filePath(QStringLiteral("viewer")) + u'/';
    return true;
}

bool TMainWindowFixture::Open(TMainWindowOpen how) {
    FMain = std::make_unique<TfrmMain>();
    if (how.StopTimer)
        Child<QTimer>("tiEnabled")->stop();
    if (!how.Show)
        return true;
    FMain->show();
    if (!QTest::qWaitForWindowExposed(FMain.get())) {
        QTest::qFail("the main window was never shown", __FILE__, __LINE__);
        return false;
    }
    return true;
}

bool TMainWindowFixture::Init(TMainWindowOpen how) {
    return Prepare() && Open(how);
}

void TMainWindowFixture::Close() {
    FMain.reset();
}

void TMainWindowFixture::Cleanup() {
    // A window left modified would ask about saving while it closes.
    if (FMain)
        FMain->Document().SetModified(false);
    FMain.reset();
    if (TDialogSeam::Installed())
        TDialogSeam::Uninstall();
    FDir.reset();
}

TChannelTreeModel& TMainWindowFixture::Tree() const {
    return FMain->Tree();
}

QString TMainWindowFixture::TickedNames() const {
    QStringList names;
    for (int row = 0; row < Tree().TopCount(); ++row)
        if (Tree().IsNodeChecked(row))
            names.append(Tree().ChannelAt(row)->Name());
    return names.join(QLatin1Char(' '));
}

QString TMainWindowFixture::Path(const QString& name) const {
    return FDir->filePath(name);
}

QAction* TMainWindowFixture::Action(const QString& name) const {
    return ::Child<QAction>(FMain.get(), name);
}

bool TMainWindowFixture::Trigger(const QString& name, TMainWindowTrigger how,
                                 std::source_location where) {
    if (how.UpdateActionsFirst && FMain)
        FMain->UpdateActions();
    return ::Trigger(FMain.get(), name, TTrigger{how.ProcessEvents}, where);
}

bool TMainWindowFixture::Load(const QString& path, const QList<TChannelRec>& records) {
    if (!WriteChannelFile(path, records)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot write %1").arg(path)), __FILE__, __LINE__);
        return false;
    }
    FMain->Document().LoadChannelList(path);
    return true;
}
