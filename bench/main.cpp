// orvane-bench: times the program's real code paths on generated lists of 1,000, 10,000 and
// 100,000 main channels, headless. The real main window is built, shown and laid out; its
// commands are triggered through their actions, and every message box and file dialog is
// answered through the dialog seam. Each figure is the median of several runs and is
// printed as one line "bench <name> <channels> <median_ms>"; lines starting with '#' are
// notes (how a figure was taken, growth from 10,000 to 100,000).
//
//   orvane-bench [build-dir] [--sizes 1000,10000] [--runs N] [--only name,name]
//
// The build folder argument is accepted for the calling script and not needed: the lists
// are generated in-process with the list generator.

#include "UMakeList.h"
#include "channels/UChannelInfo.h"
#include "channels/UChannelRec.h"
#include "iptv/UIPTVManager.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UEditCommands.h"
#include "main/UEditName.h"
#include "main/UMain.h"
#include "restore/URestore.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "selection/USearch.h"
#include "settings/USettings.h"
#include "structure/UMakeManHappy.h"
#include "structure/UStructure.h"
#include "ui/UMessages.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItem>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void Note(const QString& text) {
    std::printf("# %s\n", qPrintable(text));
    std::fflush(stdout);
}

// Lets the views do what a real event loop does after a command: the delayed item layout,
// then the repaint it asks for.
void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Runs body once the next modal window is up, from inside its exec() loop.
// A window's control or action by its object name, as a user's script would find it.
template <typename T> T* Named(const QObject* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
}

void WhenModal(std::function<void(QWidget*)> body, int triesLeft = 200) {
    QTimer::singleShot(0, qApp, [body = std::move(body), triesLeft] {
        if (QWidget* modal = QApplication::activeModalWidget())
            body(modal);
        else if (triesLeft > 0)
            WhenModal(body, triesLeft - 1);
    });
}

long PeakRssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

class TBench {
public:
    TBench(const QString& folder, int runs, QStringList only)
        : FFolder(folder), FRuns(runs), FOnly(std::move(only)) {}

    void Run(const std::vector<int>& sizes);
    // What the process reached in memory: Orvane started, the list opened and shown
    // ("loaded"), then the reorder preview accepted and the list opened again over itself
    // ("session"). Printed as "memory <stage> <MB>" lines.
    void Memory(const QString& path);

private:
    QString ListFile(int n) const { return FFolder + QStringLiteral("/list%1.dat").arg(n); }
    QString OutFile() const { return FFolder + QStringLiteral("/out.dat"); }
    bool Wanted(const char* name) const {
        return FOnly.isEmpty() || FOnly.contains(QLatin1String(name));
    }
    void Report(const char* name, int channels, double ms) {
        std::printf("bench %s %d %.3f\n", name, channels, ms);
        std::fflush(stdout);
        FFigures[name][channels] = ms;
    }
    // Median of FRuns runs of body, each after an untimed setup; body ends with Settle().
    double Measure(const std::function<void()>& setup, const std::function<void()>& body,
                   int runs = 0);
    // As Measure, for bodies that time themselves (inside a modal window); a negative time
    // means the body could not run.
    double MeasureSelf(const std::function<void()>& setup, const std::function<double()>& body,
                       int runs = 0);

    QAction* Action(const char* name) const { return Named<QAction>(FMain.get(), name); }
    // Whether the command is on for the user now (wired and enabled in this state).
    bool Enabled(const char* name) {
        FMain->UpdateActions();
        QAction* action = Action(name);
        return action && action->isEnabled();
    }
    void Trigger(const char* name) {
        Fire(name);
        Settle();
    }
    // Triggers a command as the menu would, only when it is enabled; a command that is off
    // where it should be on spoils the figure, so it is reported.
    void Fire(const char* name) {
        if (Enabled(name))
            Action(name)->trigger();
        else
            Note(QStringLiteral("ERROR: %1 is disabled").arg(QLatin1String(name)));
    }
    void MakeWindow();
    void Generate(int n, int iptvClashing, const QString& path);
    // "Open..." with the file name answered through the seam.
    void Open(const QString& path);
    void TickHalf();
    // A command on the ticked channels through its action when it is wired, else on the
    // underlying call; reported as one figure either way.
    void TickedCommand(const char* name, const char* action, int n,
                       const std::function<void(TEditCommands&)>& core);

    void Floor(int n);
    // Runs Memory in a fresh process, so that nothing measured before counts.
    void MemoryInOwnProcess(const QString& path);
    void Sizes(int n);
    void Iptv();
    void Growth();

    QString FFolder;
    int FRuns = 5;
    QStringList FOnly;
    std::unique_ptr<TfrmMain> FMain;
    std::map<std::string, std::map<int, double>> FFigures;
    QStringList FCoreNotes;
};

double TBench::Measure(const std::function<void()>& setup, const std::function<void()>& body,
                       int runs) {
    std::vector<double> times;
    for (int i = 0; i < (runs > 0 ? runs : FRuns); ++i) {
        setup();
        Settle();
        const auto start = TClock::now();
        body();
        Settle();
        times.push_back(MsSince(start));
    }
    // Answers a run left unused must not reach the next measurement.
    TDialogSeam::Install();
    return Median(times);
}

double TBench::MeasureSelf(const std::function<void()>& setup, const std::function<double()>& body,
                           int runs) {
    std::vector<double> times;
    for (int i = 0; i < (runs > 0 ? runs : FRuns); ++i) {
        setup();
        Settle();
        const double ms = body();
        if (ms < 0)
            return -1;
        times.push_back(ms);
    }
    // Answers a run left unused must not reach the next measurement.
    TDialogSeam::Install();
    return Median(times);
}

void TBench::MakeWindow() {
    FMain = std::make_unique<TfrmMain>();
    // The bench runs the ticks it measures; a running timer would only add noise.
    Named<QTimer>(FMain.get(), "tiEnabled")->stop();
    FMain->show();
    Settle();
}

void TBench::Generate(int n, int iptvClashing, const QString& path) {
    TMakeListOptions options;
    options.Channels = n;
    options.IptvClashing = iptvClashing;
    options.OutFile = path;
    WriteMadeLists(options);
}

void TBench::Open(const QString& path) {
    FMain->Document().SetModified(false);
    TDialogSeam::AddFileName(path);
    Trigger("actFileOpen");
    // A figure of an open that did not happen would be worthless: say so loudly.
    if (FMain->FileName() != path || FMain->Tree().IsEmpty())
        Note(QStringLiteral("ERROR: %1 was not opened (%2)")
                 .arg(path, TDialogSeam::ShownTexts().join(QStringLiteral(" | "))));
}

void TBench::TickHalf() {
    TChannelTreeModel& tree = FMain->Tree();
    tree.UncheckAll();
    tree.SetCheckedWhere([](int row) { return row % 2 == 0; }, true);
    if (CheckedCount() != (tree.TopCount() + 1) / 2)
        Note(QStringLiteral("ERROR: %1 of %2 ticked").arg(CheckedCount()).arg(tree.TopCount()));
    FMain->UpdateActions();
}

void TBench::TickedCommand(const char* name, const char* action, int n,
                           const std::function<void(TEditCommands&)>& core) {
    if (!Wanted(name))
        return;
    const QString path = ListFile(n);
    Open(path);
    TickHalf();
    const bool wired = Enabled(action);
    TEditCommands commands(FMain->Document(), FMain.get());
    const double ms = Measure(
        [&] {
            Open(path);
            TickHalf();
            TDialogSeam::AddAnswer(true);
        },
        [&] {
            if (wired)
                Fire(action);
            else
                core(commands);
        });
    if (!wired && n == 100000)
        FCoreNotes << QLatin1String(name);
    if (!wired)
        Note(QStringLiteral("%1: %2 is not wired yet; measured on the TEditCommands call")
                 .arg(QLatin1String(name), QLatin1String(action)));
    Report(name, n, ms);
}

void TBench::Floor(int n) {
    if (!Wanted("floor-read"))
        return;
    const QString path = ListFile(n);
    std::vector<std::array<char, ChannelRecSize>> records;
    const double ms = Measure(
        [] {},
        [&] {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return;
            const QByteArray image = file.readAll();
            const qsizetype count = (image.size() - HeaderSize) / ChannelRecSize;
            records.assign(static_cast<size_t>(count), {});
            for (qsizetype i = 0; i < count; ++i)
                std::memcpy(records[static_cast<size_t>(i)].data(),
                            image.constData() + HeaderSize + i * ChannelRecSize, ChannelRecSize);
        });
    Report("floor-read", n, ms);
}

void TBench::Memory(const QString& path) {
    MakeWindow();
    Open(path);
    std::printf("memory loaded %.1f\n", double(PeakRssKb()) / 1024.0);
    WhenModal([](QWidget* modal) {
        if (auto* window = qobject_cast<TfrmMakeManHappy*>(modal);
            window && Named<QPushButton>(window, "btnAccept")->isEnabled()) {
            TDialogSeam::AddAnswer(true);
            Named<QPushButton>(window, "btnAccept")->click();
            Settle();
        }
        modal->close();
    });
    Trigger("actMakeManHappy");
    Open(path);
    std::printf("memory session %.1f\n", double(PeakRssKb()) / 1024.0);
    std::fflush(stdout);
    FMain->Document().SetModified(false);
    FMain.reset();
}

void TBench::MemoryInOwnProcess(const QString& path) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory-of"), path});
    if (!child.waitForFinished(300000) || child.exitCode() != 0) {
        Note(QStringLiteral("ERROR: the memory run failed: %1").arg(child.errorString()));
        return;
    }
    QHash<QString, QString> stages;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 3 && words[0] == "memory")
            stages.insert(QString::fromLatin1(words[1]), QString::fromLatin1(words[2]));
        else if (line.startsWith("# "))
            Note(QString::fromLocal8Bit(line.mid(2).trimmed()));
    }
    if (!stages.contains(QStringLiteral("loaded"))) {
        Note(QStringLiteral("ERROR: the memory run printed no figure"));
        return;
    }
    std::printf("bench peak-rss-mb 100000 %s\n",
                qPrintable(stages.value(QStringLiteral("loaded"))));
    std::fflush(stdout);
    Note(QStringLiteral("peak RSS of a session with 100,000 channels (reorder accepted, list "
                        "opened again over itself): %1 MB")
             .arg(stages.value(QStringLiteral("session"), QStringLiteral("?"))));
}

void TBench::Sizes(int n) {
    const QString path = ListFile(n);
    Generate(n, 0, path);
    Note(QStringLiteral("list of %1 main channels: %2 bytes").arg(n).arg(QFileInfo(path).size()));
    Floor(n);

    if (Wanted("open"))
        Report("open", n, Measure([] {}, [&] { Open(path); }));
    if (n == 100000) {
        // The peak so far in this process, whose generator and smaller lists also count.
        Open(path);
        Note(QStringLiteral("peak RSS with the list shown, in the bench's own process: %1 MB")
                 .arg(double(PeakRssKb()) / 1024.0, 0, 'f', 1));
        MemoryInOwnProcess(path);
    }

    const QString out = OutFile();
    if (Wanted("save")) {
        Open(path);
        Report("save", n,
               Measure(
                   [&] {
                       QFile::remove(out);
                       TDialogSeam::AddFileName(out);
                   },
                   [&] { Fire("actFileSaveAs"); }));
    }
    if (Wanted("save-ticked")) {
        Open(path);
        TickHalf();
        Report("save-ticked", n,
               Measure(
                   [&] {
                       QFile::remove(out);
                       TDialogSeam::AddFileName(out);
                   },
                   [&] { Fire("actSaveCheckedAs"); }));
    }
    if (Wanted("save-fsync")) {
        // The atomic writer's fsync on its own: the share of a save that is the disk's.
        QFile source(path);
        source.open(QIODevice::ReadOnly);
        const QByteArray image = source.readAll();
        std::vector<double> times;
        for (int i = 0; i < FRuns; ++i) {
            QFile file(out);
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(image);
            file.flush();
            const auto start = TClock::now();
            ::fsync(file.handle());
            times.push_back(MsSince(start));
        }
        Report("save-fsync", n, Median(times));
    }

    TickedCommand("move-checked-to-top", "actMoveCheckedToTop", n,
                  [](TEditCommands& c) { c.MoveCheckedToTop(); });
    TickedCommand("move-checked-to-bottom", "actMoveCheckedToBottom", n,
                  [](TEditCommands& c) { c.MoveCheckedToBottom(); });
    TickedCommand("invert-checking", "actInvertChecking", n,
                  [](TEditCommands& c) { c.InvertChecking(); });
    TickedCommand("check-all", "actCheckAll", n, [](TEditCommands& c) { c.CheckAll(); });
    TickedCommand("delete-checked", "actDeleteChecked", n,
                  [](TEditCommands& c) { c.DeleteChecked(); });

    if (Wanted("rename-categories")) {
        Open(path);
        TickHalf();
        const bool wired = Enabled("actRenameCategories");
        TEditCommands commands(FMain->Document(), FMain.get());
        const double ms = Measure(
            [&] {
                Open(path);
                TickHalf();
            },
            [&] {
                if (!wired) {
                    commands.RenameCategoryOrRoot(emCategory, QStringLiteral("Renamed"));
                    return;
                }
                WhenModal([](QWidget* modal) {
                    if (auto* dialog = qobject_cast<TfrmEditName*>(modal)) {
                        dialog->SetName(QStringLiteral("Renamed"));
                        dialog->accept();
                    } else {
                        modal->close();
                    }
                });
                Fire("actRenameCategories");
            });
        if (!wired) {
            Note(QStringLiteral("rename-categories: actRenameCategories is not wired yet; "
                                "measured on TEditCommands::RenameCategoryOrRoot"));
            if (n == 100000)
                FCoreNotes << QStringLiteral("rename-categories");
        }
        Report("rename-categories", n, ms);
    }

    if (Wanted("restore")) {
        // Half the list deleted, then all of it restored through the restore window.
        TEditCommands commands(FMain->Document(), FMain.get());
        const double ms = MeasureSelf(
            [&] {
                Open(path);
                TickHalf();
                TDialogSeam::AddAnswer(true);
                commands.DeleteChecked();
            },
            [&] {
                if (!Enabled("actRestoreDeleted"))
                    return -1.0;
                double taken = -1;
                WhenModal([&taken](QWidget* modal) {
                    auto* window = qobject_cast<TfrmRestore*>(modal);
                    if (!window) {
                        modal->close();
                        return;
                    }
                    window->tiEnabledTimer();
                    if (Named<QAction>(window, "actRestore")->isEnabled()) {
                        const auto start = TClock::now();
                        Named<QAction>(window, "actRestore")->trigger();
                        Settle();
                        taken = MsSince(start);
                    }
                    window->reject();
                });
                Trigger("actRestoreDeleted");
                return taken;
            });
        Note(QStringLiteral("restore: %1 deleted channels back through the restore window")
                 .arg(n / 2));
        Report("restore", n, ms);
    }

    if (Wanted("after-command-refresh")) {
        // What every command that changes channels pays after its own work: the structure
        // and its pane, the information pane, the commands' states.
        Open(path);
        Report("after-command-refresh", n,
               Measure([] {},
                       [&] {
                           FMain->UpdateStructure();
                           FMain->UpdateChannelInfoAndWindows();
                           FMain->UpdateActions();
                       }));
        Report("structure-update", n,
               Measure([] {}, [&] { FMain->TheStructure().UpdateStructure(FMain->Tree()); }));
    }

    if (Wanted("drag")) {
        Open(path);
        const bool freeDrag = Settings().FreeDragAndDropAllowed;
        Settings().FreeDragAndDropAllowed = true;
        TEditCommands commands(FMain->Document(), FMain.get());
        TChannelTreeModel& tree = FMain->Tree();
        Report("drag", n,
               Measure(
                   [] {},
                   [&] { commands.Drop(tree.NodeIndex(0), tree.NodeIndex(tree.TopCount() - 1)); }));
        Settings().FreeDragAndDropAllowed = freeDrag;
    }

    if (Wanted("make-man-happy")) {
        const double ms = MeasureSelf(
            [&] { Open(path); },
            [&] {
                double taken = -1;
                WhenModal([&taken](QWidget* modal) {
                    auto* window = qobject_cast<TfrmMakeManHappy*>(modal);
                    if (window && Named<QPushButton>(window, "btnAccept")->isEnabled()) {
                        TDialogSeam::AddAnswer(true);
                        const auto start = TClock::now();
                        Named<QPushButton>(window, "btnAccept")->click();
                        Settle();
                        taken = MsSince(start);
                    }
                    if (modal->isVisible())
                        modal->close();
                });
                Trigger("actMakeManHappy");
                return taken;
            });
        Report("make-man-happy", n, ms);
    }

    if (Wanted("check-by-properties")) {
        // The window's "Check" button itself, whether or not its command is wired yet: the
        // button's work is the same. A press clears the window's ticks, so every run ticks
        // the three properties again.
        Open(path);
        TfrmChecking window(FMain.get());
        window.SetTree(MainTreeView());
        window.show();
        Settle();
        const auto tickProperties = [&] {
            int ticked = 0;
            for (TChannelProperty property : {cpEncrypted, cpRadio, cpAudioAC3})
                if (QTreeWidgetItem* item = window.ItemOf(property)) {
                    item->setCheckState(0, Qt::Checked);
                    ++ticked;
                }
            return ticked == 3 && Named<QPushButton>(&window, "btnCheck")->isEnabled();
        };
        if (tickProperties()) {
            Report("check-by-properties", n,
                   Measure(
                       [&] {
                           FMain->Tree().UncheckAll();
                           tickProperties();
                       },
                       [&] { window.btnCheckClick(); }));
            Note(QStringLiteral("check-by-properties: %1 of %2 ticked by encrypted, radio, AC3")
                     .arg(CheckedCount())
                     .arg(FMain->Tree().TopCount()));
        } else {
            Note(QStringLiteral("ERROR: check-by-properties: the three properties could not be "
                                "ticked"));
        }
        window.hide();
    }

    if (Wanted("goto-refresh")) {
        Open(path);
        TickHalf();
        TfrmGoTo window(FMain.get());
        window.show();
        int row = n / 2;
        // A step to the next row, as the arrow keys make with the window open.
        Report("goto-refresh", n,
               Measure([&] { MainTreeView().Select(FMain->Tree().NodeIndex(++row)); },
                       [&] { window.SetEnabledControls(); }));
        // The refresh after a command: the tree has just changed (a tick far away).
        TChannelTreeModel& tree = FMain->Tree();
        Report(
            "goto-refresh-after-change", n,
            Measure([&] { tree.ToggleNodeChecked(n - 1); }, [&] { window.SetEnabledControls(); }));
        window.hide();
    }

    if (Wanted("search-step")) {
        Open(path);
        MainTreeView().Select(FMain->Tree().NodeIndex(0));
        TfrmSearch window(FMain.get());
        window.show();
        Named<QLineEdit>(&window, "edtChannelName")
            ->setText(QStringLiteral("no channel has this name"));
        Settle();
        Report("search-step", n, Measure([] {}, [&] { window.Step(true, true); }));
        window.hide();
    }

    if (Wanted("check-duplicates")) {
        Open(path);
        Report("check-duplicates", n, Measure([] {}, [&] { Fire("actCheckDuplicates"); }));
    }

    if (Wanted("export")) {
        // The whole list: with nothing ticked there is no question.
        Open(path);
        const QString csv = OutFile() + QStringLiteral(".csv");
        Report("export", n,
               Measure(
                   [&] {
                       QFile::remove(csv);
                       TDialogSeam::AddFileName(csv);
                   },
                   [&] { Fire("actExport"); }));
        QFile::remove(csv);
    }

    if (Wanted("changes")) {
        // Half the list moved: every channel is paired and the kept run is looked for.
        Open(path);
        Report("changes", n,
               Measure(
                   [&] {
                       Open(path);
                       TickHalf();
                       Fire("actMoveCheckedToTop");
                   },
                   [&] { Fire("actChanges"); }));
    }

    if (Wanted("apply-order")) {
        // Back to the order of the list on disk after half of it was moved.
        Report("apply-order", n,
               Measure(
                   [&] {
                       Open(path);
                       TickHalf();
                       Fire("actMoveCheckedToTop");
                       TDialogSeam::AddFileName(path);
                   },
                   [&] {
                       WhenModal([](QWidget* modal) {
                           if (auto* dialog = qobject_cast<QDialog*>(modal))
                               dialog->accept();
                           else
                               modal->close();
                       });
                       Fire("actApplyOrder");
                   }));
    }

    if (Wanted("information")) {
        Open(path);
        Report("information", n,
               Measure([] {},
                       [&] {
                           WhenModal([](QWidget* modal) { modal->close(); });
                           Fire("actInformation");
                       }));
    }

    if (Wanted("timer-tick")) {
        Open(path);
        TickHalf();
        MainTreeView().Select(FMain->Tree().NodeIndex(n / 2));
        Settle();
        std::vector<double> times;
        for (int i = 0; i < 201; ++i) {
            const auto start = TClock::now();
            FMain->tiEnabledTimer();
            times.push_back(MsSince(start));
        }
        Report("timer-tick", n, Median(times));
    }
}

void TBench::Iptv() {
    if (!Wanted("iptv"))
        return;
    constexpr int n = 10000;
    const QString path = FFolder + QStringLiteral("/iptv%1.dat").arg(n);
    Generate(n, n, path);
    Open(path);
    std::vector<double> load, display, calculate;
    int groups = 0;
    for (int i = 0; i < FRuns; ++i) {
        TIPTVManager manager;
        auto start = TClock::now();
        manager.LoadAllIPTVChannels(FMain->Tree());
        load.push_back(MsSince(start));
        start = TClock::now();
        manager.DisplayTreeViewFirst();
        display.push_back(MsSince(start));
        start = TClock::now();
        manager.MakeAllChannelsUnique(65535);
        calculate.push_back(MsSince(start));
        groups = manager.Count();
    }
    Note(QStringLiteral("iptv: %1 clashing channels in %2 groups").arg(n).arg(groups));
    Report("iptv-load", n, Median(load));
    Report("iptv-display", n, Median(display));
    Report("iptv-calculate", n, Median(calculate));
}

void TBench::Growth() {
    for (const auto& [name, bySize] : FFigures) {
        const auto small = bySize.find(10000);
        const auto large = bySize.find(100000);
        if (small == bySize.end() || large == bySize.end() || small->second <= 0)
            continue;
        Note(QStringLiteral("growth %1 10000->100000: %2x")
                 .arg(QLatin1String(name.c_str()))
                 .arg(large->second / small->second, 0, 'f', 1));
    }
}

void TBench::Run(const std::vector<int>& sizes) {
    MakeWindow();
    for (int n : sizes)
        Sizes(n);
    Iptv();
    Growth();
    if (!FCoreNotes.isEmpty())
        Note(QStringLiteral("measured on the underlying call (command not wired yet): ") +
             FCoreNotes.join(QStringLiteral(", ")));
    // The peak of the whole run, every window and command included.
    Note(QStringLiteral("peak RSS of the whole run: %1 MB").arg(double(PeakRssKb()) / 1024.0));
    FMain->Document().SetModified(false);
    FMain.reset();
}

} // namespace

int main(int argc, char* argv[]) {
    // Nothing of the user's is read or written: settings, program data and the viewer's
    // folder all live in a folder of this run.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        qputenv(variable, QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    std::vector<int> sizes = {1000, 10000, 100000};
    int runs = 5;
    QStringList only;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--sizes" && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& size : args[++i].split(u','))
                sizes.push_back(size.toInt());
        } else if (args[i] == u"--runs" && i + 1 < args.size()) {
            runs = qMax(1, args[++i].toInt());
        } else if (args[i] == u"--only" && i + 1 < args.size()) {
            only = args[++i].split(u',');
        }
    }

    ResetSettings();
    Settings().DVBViewerDataFolder = home.filePath(QStringLiteral("viewer")) + u'/';
    Settings().DefaultWorkFolder = home.path() + u'/';
    QDir().mkpath(Settings().DVBViewerDataFolder);
    TDialogSeam::Install();

    TBench bench(home.path(), runs, only);
    const qsizetype memoryOf = args.indexOf(QStringLiteral("--memory-of"));
    if (memoryOf > 0 && memoryOf + 1 < args.size())
        bench.Memory(args[memoryOf + 1]);
    else
        bench.Run(sizes);
    TDialogSeam::Uninstall();
    return 0;
}
