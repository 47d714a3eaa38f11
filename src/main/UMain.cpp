#include "main/UMain.h"

#include "channels/UChannel.h"
#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"
#include "help/About.h"
#include "help/UMyHelp.h"
#include "help/UTextInfo.h"
#include "icons/UIcons.h"
#include "iptv/UMakeIPTVXepg.h"
#include "main/UApplyOrderWindow.h"
#include "main/UChannelDocument.h"
#include "main/UChannelIdentity.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UEditCommands.h"
#include "main/UInformation.h"
#include "main/UStructureTreeView.h"
#include "restore/URestore.h"
#include "selection/UCheckCategories.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "selection/UJumps.h"
#include "selection/USearch.h"
#include "selection/USelectionHost.h"
#include "settings/UCodePage.h"
#include "settings/USettings.h"
#include "settings/USettingsWindow.h"
#include "settings/UShowHelpHook.h"
#include "structure/UMakeManHappy.h"
#include "structure/UStructure.h"
#include "ui/UMessages.h"
#include "viewer/UFolders.h"
#include "viewer/UTuning.h"
#include "viewer/UViewerEnvironment.h"
#include "views/UChannelTreeView.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace {

constexpr int MinimumPaneWidth = 60;
constexpr int HappyPanelWidth = 20;
constexpr int ToolButtonWidth = 87;
constexpr int ToolButtonHeight = 52;
// Long enough to be read once the menu has closed.
constexpr int DuplicatesMessageTimeout = 10000;

} // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QMainWindow(parent), FPrompt(std::make_unique<TDialogPrompt>()),
      FDocument(std::make_unique<TChannelDocument>(*FPrompt)),
      FTheStructure(std::make_unique<TStructure>()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(AppIcon());
    resize(768, 608);
    setMinimumSize(200, 200);

    CreateActions();
    CreatePanes();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    // FormCreate: the list, the structure and the tuning manager live in the document.
    UpdateCaption(QString());
    // Names are converted in the code page in force at each conversion, so a changed code
    // page shows at once; the separators likewise come from the settings each time.
    SetNameCodePageProvider([] { return EffectiveCodePage(); });
    SetChannelSeparatorProvider([] { return Settings().ChannelSeparator; });
    SetRootSeparatorProvider([] { return Settings().RootSeparator; });
    ShowHelpPageHook = [](int page) { ShowHelpPage(page); };
    ShowInfoPane();

    FDocument->SetTreeSelection(tvChannels->selectionModel());
    SetMainTreeView(FDocument->MainTree());

    CreateSelectionWindows();
    FEditCommands = new TEditCommands(*FDocument, this);
    ConnectCommands();
    ConnectEditCommands();

    connect(&TuningManager(), &TTuningManager::ChannelsRead, this, &TfrmMain::ViewerChannelsRead);
    connect(&TuningManager(), &TTuningManager::ViewerCallFailed, this, &TfrmMain::ViewerCallFailed);
    tiEnabled = new QTimer(this);
    tiEnabled->setObjectName(QStringLiteral("tiEnabled"));
    tiEnabled->setInterval(EnabledTimerInterval);
    connect(tiEnabled, &QTimer::timeout, this, &TfrmMain::tiEnabledTimer);
    tiEnabled->start();

    // The window sees keys before its controls.
    qApp->installEventFilter(this);
    UpdateActions();
    actSaveDVBViewerFile->setEnabled(false);
    actTune->setEnabled(false);
}

TfrmMain::~TfrmMain() {
    qApp->removeEventFilter(this);
    tiEnabled->stop();
    ShowHelpPageHook = nullptr;
    SetSelectionHost({});
    // Hidden first, so that their places reach the settings; their visibility stays
    // remembered for the next start.
    for (QDialog* window : {static_cast<QDialog*>(FfrmGoTo), static_cast<QDialog*>(FfrmChecking)}) {
        window->hide();
        delete window;
    }
    FfrmGoTo = nullptr;
    FfrmChecking = nullptr;
    // The restore window and the structure pane borrow channels and the structure, which go
    // before the child widgets do.
    delete FRestoreWindow.data();
    tvStructure->setModel(nullptr);
    // The settings reach the file once, at the end of the run.
    RunGuarded([] { SaveSettings(); });
    SetMainTreeView(TChannelTree());
    SetRestoreTreeView(TChannelTree());
}

TChannels& TfrmMain::Channels() {
    return FDocument->Channels();
}
TTuningManager& TfrmMain::TuningManager() {
    return FDocument->TuningManager();
}
TChannelTreeModel& TfrmMain::Tree() {
    return FDocument->Tree();
}
QString TfrmMain::FileName() const {
    return FDocument->FileName();
}

QAction* TfrmMain::MakeAction(const char* name, const QString& caption,
                              const QKeySequence& shortcut, const QString& hint) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setIcon(CommandIcon(action->objectName()));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (!hint.isEmpty()) {
        // "short|long": the short part is the tool tip, the long part the status bar text.
        const qsizetype bar = hint.indexOf(QLatin1Char('|'));
        action->setToolTip(bar < 0 ? hint : hint.left(bar));
        action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    }
    // Shortcuts work wherever the focus is in the window, menus open or not.
    addAction(action);
    return action;
}

void TfrmMain::CreateActions() {
    const auto key = [](int k) { return QKeySequence(k); };
    const int ctrl = static_cast<int>(Qt::CTRL);

    actOpenDVBViewerFile =
        MakeAction("actOpenDVBViewerFile", QStringLiteral("Open DVBViewer"), key(ctrl | Qt::Key_D),
                   QStringLiteral("Opens DVBViewer channel list"));
    actSaveDVBViewerFile = MakeAction("actSaveDVBViewerFile", QStringLiteral("Save DVBViewer"), {},
                                      QStringLiteral("Close DVBViewer (and stop RS) to enable"));
    actFileOpen = MakeAction("actFileOpen", QStringLiteral("Open..."), key(ctrl | Qt::Key_O),
                             QStringLiteral("Opens an existing file in work folder"));
    actFileSaveAs = MakeAction("actFileSaveAs", QStringLiteral("Save As..."), key(ctrl | Qt::Key_V),
                               QStringLiteral("Saves the file in work folder with a new name"));
    actFileSave = MakeAction("actFileSave", QStringLiteral("Save"), key(ctrl | Qt::Key_S),
                             QStringLiteral("Saves the file in work folder with current name"));
    actAppendChecked = MakeAction("actAppendChecked", QStringLiteral("Append as Checked..."));
    actAppendUnchecked = MakeAction("actAppendUnchecked", QStringLiteral("Append as Unchecked..."));
    actApplyOrder = MakeAction(
        "actApplyOrder", QStringLiteral("Apply Order From..."), {},
        QStringLiteral("Sorts the list like another channel list|Sorts the list like another "
                       "channel list, for example the backup from before a new channel scan"));
    actExport = MakeAction("actExport", QStringLiteral("Export..."), {},
                           QStringLiteral("Exports the channels as a table (CSV) for "
                                          "spreadsheet programs"));
    actChanges = MakeAction("actChanges", QStringLiteral("Changes..."), {},
                            QStringLiteral("Shows what saving would change in the list file"));
    actInformation = MakeAction("actInformation", QStringLiteral("Information..."));
    actExit = MakeAction("actExit", QStringLiteral("Exit"), key(ctrl | Qt::Key_X),
                         QStringLiteral("Exit|Quits the application"));

    actSearch = MakeAction("actSearch", QStringLiteral("Search..."), key(ctrl | Qt::Key_Q),
                           QStringLiteral("Search by Root/Category/channel name"));
    actGoTo = MakeAction("actGoTo", QStringLiteral("GoTo..."), key(ctrl | Qt::Key_G),
                         QStringLiteral("Goto channel by property"));
    actToggleBookmark =
        MakeAction("actToggleBookmark", QStringLiteral("Toggle Bookmark"), key(Qt::Key_F2));
    actDeleteAllBookmarks =
        MakeAction("actDeleteAllBookmarks", QStringLiteral("Delete All Bookmarks"),
                   key(static_cast<int>(Qt::SHIFT) | Qt::Key_Delete));
    actRestoreDeleted = MakeAction("actRestoreDeleted", QStringLiteral("Restore Deleted..."));
    actMakeManHappy =
        MakeAction("actMakeManHappy", QStringLiteral("Make the Man Happy (Preview)..."));
    actMakeIPTVXepgReady =
        MakeAction("actMakeIPTVXepgReady", QStringLiteral("Make IPTV External EPG Ready..."));

    actNoPath = MakeAction("actNoPath", QStringLiteral("No Path"));
    actSmallPath = MakeAction("actSmallPath", QStringLiteral("Small Path"));
    actFullPath = MakeAction("actFullPath", QStringLiteral("Full Path"));
    FPathGroup = new QActionGroup(this);
    for (QAction* a : {actNoPath, actSmallPath, actFullPath}) {
        a->setCheckable(true);
        FPathGroup->addAction(a);
    }
    actFullPath->setChecked(true);

    actViewStructure =
        MakeAction("actViewStructure", QStringLiteral("Structure"), key(ctrl | Qt::Key_R),
                   QStringLiteral("View Channel list as Treeview"));
    actViewChannelInfo =
        MakeAction("actViewChannelInfo", QStringLiteral("Channel Info"), key(ctrl | Qt::Key_F),
                   QStringLiteral("View detailed channel information"));
    FPaneGroup = new QActionGroup(this);
    for (QAction* a : {actViewStructure, actViewChannelInfo}) {
        a->setCheckable(true);
        FPaneGroup->addAction(a);
    }
    actViewStructure->setChecked(true);

    actShowChannelNumbers = MakeAction("actShowChannelNumbers", QStringLiteral("Channel Numbers"));
    actShowChannelNumbers->setCheckable(true);
    actShowChannelNumbers->setChecked(true);
    actViewChecking =
        MakeAction("actViewChecking", QStringLiteral("Check/Uncheck by channel  properties"));
    actViewChecking->setCheckable(true);
    actViewGoTo = MakeAction("actViewGoTo", QStringLiteral("GoTo"));
    actViewGoTo->setCheckable(true);

    actChecking = MakeAction("actChecking", QStringLiteral("By channel properties..."),
                             key(ctrl | Qt::Key_P));
    actCheckingByCategoryAndRoot =
        MakeAction("actCheckingByCategoryAndRoot", QStringLiteral("By Root and Category..."),
                   key(ctrl | Qt::Key_R));
    // Ctrl+R belongs to "Structure"; here it is shown in the menu and works only while that
    // menu has the focus, so that the two never compete.
    actCheckingByCategoryAndRoot->setShortcutContext(Qt::WidgetShortcut);
    actCheckDuplicates = MakeAction(
        "actCheckDuplicates", QStringLiteral("By Duplicates"), {},
        QStringLiteral("Checks every channel that repeats an earlier one|Checks every channel "
                       "with the same IDs (IPTV: address and port) as an earlier channel, and "
                       "unchecks the rest"));
    actUncheckAll = MakeAction("actUncheckAll", QStringLiteral("Uncheck All"),
                               key(ctrl | Qt::Key_U), QStringLiteral("Unchecks all channels"));
    actCheckAll = MakeAction("actCheckAll", QStringLiteral("Check All"));
    actInvertChecking = MakeAction("actInvertChecking", QStringLiteral("Invert Checking"));

    actKeepMovedChannelsChecked =
        MakeAction("actKeepMovedChannelsChecked", QStringLiteral("Keep Moved Channels Checked"));
    actKeepMovedChannelsChecked->setCheckable(true);
    actKeepMovedChannelsChecked->setChecked(true);
    actRenameCategories = MakeAction("actRenameCategories", QStringLiteral("Rename Categories..."),
                                     key(ctrl | Qt::Key_E));
    actRenameRoots =
        MakeAction("actRenameRoots", QStringLiteral("Rename Roots..."), key(ctrl | Qt::Key_M));
    actMoveCheckedToTop = MakeAction("actMoveCheckedToTop", QStringLiteral("Move Checked To Top"),
                                     key(ctrl | Qt::Key_T));
    actMoveCheckedToBottom = MakeAction(
        "actMoveCheckedToBottom", QStringLiteral("Move Checked To Bottom"), key(ctrl | Qt::Key_B));
    actDeleteChecked =
        MakeAction("actDeleteChecked", QStringLiteral("Delete Checked"), key(ctrl | Qt::Key_Delete),
                   QStringLiteral("Deletes checked channels"));
    actSaveCheckedAs = MakeAction("actSaveCheckedAs", QStringLiteral("Save Checked As..."));
    actSetGroup = MakeAction("actSetGroup", QStringLiteral("Set Channel Group (ABCDEFGH)..."));
    actSetAutoUpdate =
        MakeAction("actSetAutoUpdate", QStringLiteral("Set Auto Update (DVBViewer 5.6.0+)..."));
    actSetEPGFlags = MakeAction("actSetEPGFlags", QStringLiteral("Set EPG Flags..."));
    actSetSpeakers =
        MakeAction("actSetSpeakers", QStringLiteral("Set Speakers (Default audio track)..."));
    actSetRDS = MakeAction("actSetRDS", QStringLiteral("Set RDS (Radio Data System)..."));

    actFolders = MakeAction("actFolders", QStringLiteral("Folders..."));
    actSettings = MakeAction("actSettings", QStringLiteral("Settings..."));
    actCodepage = MakeAction("actCodepage", QStringLiteral("Codepage (Advanced)..."));
    actHelp = MakeAction("actHelp", QStringLiteral("Help..."), key(Qt::Key_F1));
    actAbout = MakeAction("actAbout", QStringLiteral("About..."));

    actInsertCheckedBefore =
        MakeAction("actInsertCheckedBefore", QStringLiteral("Insert Checked channels before:"));
    actInsertCheckedAfter =
        MakeAction("actInsertCheckedAfter", QStringLiteral("Insert Checked channels after:"));
    actTune = MakeAction("actTune", QStringLiteral("Tune"), key(Qt::Key_F9));
    actEditChannelName = MakeAction("actEditChannelName", QStringLiteral("Edit Channel Name..."));
    actDefaultAudioTrack =
        MakeAction("actDefaultAudioTrack", QStringLiteral("Default Audio Track"), key(Qt::Key_F11));
    actExpandTreeView = MakeAction("actExpandTreeView", QStringLiteral("Expand TreeView"));
    actCollapseTreeView = MakeAction("actCollapseTreeView", QStringLiteral("Collapse TreeView"));
    actFocusMainForm = MakeAction("actFocusMainForm", QString(), key(ctrl | Qt::Key_F12));
}

void TfrmMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnFile"));
    file->addActions({actOpenDVBViewerFile, actSaveDVBViewerFile});
    file->addSeparator();
    file->addActions({actFileOpen, actFileSaveAs, actFileSave});
    file->addSeparator();
    file->addActions({actAppendChecked, actAppendUnchecked});
    file->addSeparator();
    file->addActions({actApplyOrder, actExport});
    file->addSeparator();
    file->addActions({actChanges, actInformation});
    file->addSeparator();
    file->addAction(actExit);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnEdit"));
    edit->addActions({actSearch, actGoTo});
    edit->addSeparator();
    edit->addActions({actToggleBookmark, actDeleteAllBookmarks});
    edit->addSeparator();
    edit->addActions({actRestoreDeleted, actMakeManHappy, actMakeIPTVXepgReady});

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnView"));
    view->addActions({actNoPath, actSmallPath, actFullPath});
    view->addSeparator();
    view->addActions({actViewStructure, actViewChannelInfo});
    view->addSeparator();
    view->addActions({actShowChannelNumbers, actViewChecking, actViewGoTo});

    QMenu* check = bar->addMenu(QStringLiteral("&Check/Uncheck"));
    check->setObjectName(QStringLiteral("mnCheck"));
    check->addActions({actChecking, actCheckingByCategoryAndRoot, actCheckDuplicates});
    check->addSeparator();
    check->addActions({actUncheckAll, actCheckAll, actInvertChecking});

    QMenu* withChecked = bar->addMenu(QStringLiteral("&With Checked do"));
    withChecked->setObjectName(QStringLiteral("mnWithChecked"));
    withChecked->addAction(actKeepMovedChannelsChecked);
    withChecked->addSeparator();
    withChecked->addActions({actRenameCategories, actRenameRoots});
    withChecked->addSeparator();
    withChecked->addActions({actMoveCheckedToTop, actMoveCheckedToBottom});
    withChecked->addSeparator();
    withChecked->addActions({actDeleteChecked, actSaveCheckedAs});
    withChecked->addSeparator();
    withChecked->addActions(
        {actSetGroup, actSetAutoUpdate, actSetEPGFlags, actSetSpeakers, actSetRDS});

    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnOptions"));
    options->addActions({actFolders, actSettings, actCodepage});

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnHelp"));
    help->addActions({actHelp, actAbout});

    pmChannels = new QMenu(this);
    pmChannels->setObjectName(QStringLiteral("pmChannels"));
    pmChannels->addActions({actInsertCheckedBefore, actInsertCheckedAfter});
    pmChannels->addSeparator();
    pmChannels->addActions({actMoveCheckedToTop, actMoveCheckedToBottom, actUncheckAll, actTune,
                            actEditChannelName, actExpandTreeView, actCollapseTreeView,
                            actToggleBookmark});

    pmSubChannels = new QMenu(this);
    pmSubChannels->setObjectName(QStringLiteral("pmSubChannels"));
    pmSubChannels->addActions({actEditChannelName, actDefaultAudioTrack});

    pmStructure = new QMenu(this);
    pmStructure->setObjectName(QStringLiteral("pmStructure"));
    pmStructure->addActions({actExpandTreeView, actCollapseTreeView});

    tvChannels->SetPopupMenus(pmChannels, pmSubChannels);
    tvStructure->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tvStructure, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex node = tvStructure->indexAt(pos);
        if (!node.isValid())
            return;
        tvStructure->setCurrentIndex(node);
        pmStructure->popup(tvStructure->viewport()->mapToGlobal(pos));
    });
}

void TfrmMain::CreateToolBar() {
    tbMain = new QToolBar(QStringLiteral("Commands"), this);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setOrientation(Qt::Vertical);
    tbMain->setMovable(false);
    tbMain->setFloatable(false);
    tbMain->setIconSize(QSize(32, 32));
    tbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolBar(Qt::LeftToolBarArea, tbMain);
    for (QAction* a : {actOpenDVBViewerFile, actSaveDVBViewerFile, actFileOpen, actFileSave,
                       actFileSaveAs, actUncheckAll, actSearch, actDeleteChecked, actGoTo,
                       actViewStructure, actViewChannelInfo}) {
        tbMain->addAction(a);
        if (QWidget* button = tbMain->widgetForAction(a))
            button->setFixedSize(ToolButtonWidth, ToolButtonHeight);
    }
    // The captions must fit the fixed buttons whole, whatever the user's font: the bar takes
    // the largest size, up to the window's, at which the longest caption fits.
    QFont font = tbMain->font();
    const auto widest = [this](const QFont& f) {
        const QFontMetrics metrics(f);
        int width = 0;
        for (const QAction* a : tbMain->actions())
            width = qMax(width, metrics.horizontalAdvance(a->iconText()));
        return width;
    };
    while (font.pointSizeF() > 6.0 && widest(font) > ToolButtonWidth - 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    tbMain->setFont(font);
    tbMain->layout()->setSpacing(0);
    tbMain->layout()->setContentsMargins(0, 0, 0, 0);
}

void TfrmMain::CreatePanes() {
    FSplitter = new QSplitter(Qt::Horizontal, this);
    FSplitter->setObjectName(QStringLiteral("Splitter"));
    FSplitter->setChildrenCollapsible(false);
    FSplitter->setOpaqueResize(true);

    tvChannels = new TChannelTreeView(FSplitter);
    tvChannels->setObjectName(QStringLiteral("tvChannels"));
    tvChannels->setModel(&FDocument->Tree());
    tvChannels->SetF12TogglesTick(true);
    tvChannels->setMinimumWidth(MinimumPaneWidth);
    // The selection stays visible when the tree loses the focus.
    QPalette palette = tvChannels->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    tvChannels->setPalette(palette);
    FDocument->Tree().SetDecorationProvider([](int nodeImage, int selectedImage) {
        return QVariant(NodeIcon(nodeImage, selectedImage));
    });

    auto* right = new QWidget(FSplitter);
    right->setMinimumWidth(MinimumPaneWidth);
    auto* layout = new QHBoxLayout(right);
    layout->setContentsMargins(0, 0, 0, 0);
    tvStructure = new TStructureTreeView(right);
    tvStructure->setObjectName(QStringLiteral("tvStructure"));
    tvStructure->setHeaderHidden(true);
    tvStructure->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvStructure->setUniformRowHeights(true);
    FStructureModel = new TStructureModel(*FTheStructure, this);
    FStructureModel->SetDecorationProvider([](int nodeImage, int selectedImage) {
        return QVariant(NodeIcon(nodeImage, selectedImage));
    });
    tvStructure->setModel(FStructureModel);
    reChannelInfo = new QTextEdit(right);
    reChannelInfo->setObjectName(QStringLiteral("reChannelInfo"));
    reChannelInfo->setReadOnly(true);
    reChannelInfo->setLineWrapMode(QTextEdit::NoWrap);
    reChannelInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reChannelInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(tvStructure);
    layout->addWidget(reChannelInfo);

    FSplitter->addWidget(tvChannels);
    FSplitter->addWidget(right);
    FSplitter->setStretchFactor(1, 1);
    setCentralWidget(FSplitter);
}

void TfrmMain::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    const int widths[4] = {HappyPanelWidth, 100, 200, 100};
    const QString texts[4] = {QString(), QStringLiteral("Checked: 0"),
                              QStringLiteral("Shift+Up/Down: Toggle checkboxes"),
                              QStringLiteral("F1: Help")};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(texts[i], bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i == 0)
            panel->setFixedWidth(widths[i]);
        else
            panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel);
        FStatusPanels[i] = panel;
    }
    UpdateHappyPanel();
}

void TfrmMain::ConnectCommands() {
    TChannelDocument* doc = FDocument.get();
    const auto guarded = [this](QAction* action, auto member) {
        connect(action, &QAction::triggered, this,
                [this, member] { RunGuarded([this, member] { (this->*member)(); }); });
    };
    const auto fileCommand = [this, doc](QAction* action, void (TChannelDocument::*member)()) {
        connect(action, &QAction::triggered, this,
                [doc, member] { RunGuarded([doc, member] { (doc->*member)(); }); });
    };
    fileCommand(actOpenDVBViewerFile, &TChannelDocument::CommandOpenDVBViewer);
    fileCommand(actSaveDVBViewerFile, &TChannelDocument::CommandSaveDVBViewer);
    fileCommand(actFileOpen, &TChannelDocument::CommandFileOpen);
    fileCommand(actFileSave, &TChannelDocument::CommandFileSave);
    fileCommand(actFileSaveAs, &TChannelDocument::CommandFileSaveAs);
    fileCommand(actSaveCheckedAs, &TChannelDocument::CommandSaveCheckedAs);
    fileCommand(actExport, &TChannelDocument::CommandExport);
    fileCommand(actChanges, &TChannelDocument::CommandChanges);
    connect(actAppendChecked, &QAction::triggered, this,
            [doc] { RunGuarded([doc] { doc->CommandAppend(true); }); });
    connect(actAppendUnchecked, &QAction::triggered, this,
            [doc] { RunGuarded([doc] { doc->CommandAppend(false); }); });
    connect(actExit, &QAction::triggered, this, &QWidget::close);

    guarded(actInformation, &TfrmMain::actInformationExecute);
    guarded(actApplyOrder, &TfrmMain::actApplyOrderExecute);
    guarded(actMakeIPTVXepgReady, &TfrmMain::actMakeIPTVXepgReadyExecute);
    guarded(actViewStructure, &TfrmMain::actViewStructureExecute);
    guarded(actRestoreDeleted, &TfrmMain::actRestoreDeletedExecute);
    guarded(actMakeManHappy, &TfrmMain::actMakeManHappyExecute);
    guarded(actViewChannelInfo, &TfrmMain::actViewChannelInfoExecute);
    guarded(actHelp, &TfrmMain::actHelpExecute);
    guarded(actTune, &TfrmMain::actTuneExecute);
    guarded(actFolders, &TfrmMain::actFoldersExecute);
    guarded(actSettings, &TfrmMain::actSettingsExecute);
    guarded(actCodepage, &TfrmMain::actCodepageExecute);
    guarded(actSearch, &TfrmMain::actSearchExecute);
    guarded(actGoTo, &TfrmMain::actGoToExecute);
    guarded(actChecking, &TfrmMain::actCheckingExecute);
    guarded(actCheckingByCategoryAndRoot, &TfrmMain::actCheckingByCategoryAndRootExecute);
    guarded(actCheckDuplicates, &TfrmMain::actCheckDuplicatesExecute);
    connect(actViewGoTo, &QAction::triggered, this, &TfrmMain::actViewGoToExecute);
    connect(actViewChecking, &QAction::triggered, this, &TfrmMain::actViewCheckingExecute);
    guarded(actExpandTreeView, &TfrmMain::actExpandTreeViewExecute);
    guarded(actCollapseTreeView, &TfrmMain::actCollapseTreeViewExecute);
    connect(actAbout, &QAction::triggered, this, [this] { ShowAboutBox(this); });
    connect(actFocusMainForm, &QAction::triggered, this, [this] {
        activateWindow();
        raise();
    });

    connect(actNoPath, &QAction::triggered, this, [this] { SetPathMode(0); });
    connect(actSmallPath, &QAction::triggered, this, [this] { SetPathMode(1); });
    connect(actFullPath, &QAction::triggered, this, [this] { SetPathMode(2); });
    connect(actShowChannelNumbers, &QAction::triggered, this,
            [this](bool checked) { Tree().SetShowChannelNumbers(checked); });

    // The tick and bookmark commands act on whichever tree is active.
    const auto onActive = [this](QAction* action, auto body) {
        connect(action, &QAction::triggered, this, [this, body] {
            const TChannelTree& tree = ActiveTreeView();
            if (!tree.IsValid())
                return;
            body(tree);
            UpdateGoToWindow();
            UpdateActions();
        });
    };
    onActive(actCheckAll, [](const TChannelTree& tree) { tree.Model->CheckAll(); });
    onActive(actUncheckAll, [](const TChannelTree& tree) { tree.Model->UncheckAll(); });
    onActive(actInvertChecking, [](const TChannelTree& tree) { tree.Model->InvertChecking(); });
    onActive(actDeleteAllBookmarks,
             [](const TChannelTree& tree) { tree.Model->DeleteAllBookmarks(); });
    onActive(actToggleBookmark, [](const TChannelTree& tree) {
        const QModelIndex node = tree.SelectedNode();
        if (node.isValid())
            tree.Model->ToggleBookmark(tree.Model->GetActualChannelNo(node));
    });

    connect(&Tree(), &TChannelTreeModel::CheckedCountChanged, this, &TfrmMain::ShowCheckedCount);
    connect(doc, &TChannelDocument::FileNameChanged, this, &TfrmMain::UpdateCaption);
    // A load frees the channels the structure borrows: it lets go of them first.
    connect(&Tree(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        FTheStructure->Clear();
        FStructureModel->Reset();
    });
    // A drag moves one node; the structure follows such a move far faster than it rebuilds.
    connect(&Tree(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex& parent, int start, int end, const QModelIndex& destination,
                   int row) {
                // Two moves, or one of several rows, are not one to follow.
                if (parent.isValid() || destination.isValid() || start != end ||
                    !FMovesSinceStructure.empty()) {
                    FMovesSinceStructure.resize(2);
                    return;
                }
                FMovesSinceStructure.push_back({start, row > start ? row - 1 : row});
            });
    const auto spoilMoves = [this] { FMovesSinceStructure.resize(2); };
    connect(&Tree(), &QAbstractItemModel::layoutChanged, this, spoilMoves);
    connect(&Tree(), &QAbstractItemModel::rowsInserted, this, spoilMoves);
    connect(&Tree(), &QAbstractItemModel::rowsRemoved, this, spoilMoves);
    connect(&Tree(), &QAbstractItemModel::modelReset, this, spoilMoves);
    connect(doc, &TChannelDocument::ChannelsChanged, this, [this] {
        UpdateStructure();
        UpdateChannelInfoAndWindows();
        UpdateActions();
    });
    connect(doc, &TChannelDocument::ModifiedChanged, this, &TfrmMain::UpdateActions);
    connect(doc, &TChannelDocument::LoadingStarted, this, [this] { tiEnabled->stop(); });
    connect(doc, &TChannelDocument::LoadingFinished, this, [this] { tiEnabled->start(); });

    connect(tvChannels, &TChannelTreeView::NavigationKeyReleased, this,
            &TfrmMain::UpdateChannelInfoAndWindows);
    connect(tvChannels, &TChannelTreeView::NodeClicked, this,
            &TfrmMain::UpdateChannelInfoAndWindows);
    connect(tvChannels, &TChannelTreeView::PopupAboutToShow, this, &TfrmMain::PrepareChannelsPopup);
}

void TfrmMain::ConnectEditCommands() {
    TEditCommands* edit = FEditCommands;
    const auto command = [this, edit](QAction* action, auto body) {
        connect(action, &QAction::triggered, this,
                [edit, body] { RunGuarded([edit, body] { body(*edit); }); });
    };
    command(actMoveCheckedToTop, [](TEditCommands& c) { c.MoveCheckedToTop(); });
    command(actMoveCheckedToBottom, [](TEditCommands& c) { c.MoveCheckedToBottom(); });
    command(actInsertCheckedBefore, [](TEditCommands& c) { c.InsertCheckedBefore(); });
    command(actInsertCheckedAfter, [](TEditCommands& c) { c.InsertCheckedAfter(); });
    command(actDeleteChecked, [](TEditCommands& c) { c.DeleteChecked(); });
    command(actRenameCategories,
            [](TEditCommands& c) { c.actRenameCategoryOrRootExecute(emCategory); });
    command(actRenameRoots, [](TEditCommands& c) { c.actRenameCategoryOrRootExecute(emRoot); });
    command(actEditChannelName, [](TEditCommands& c) { c.actEditChannelNameExecute(); });
    command(actDefaultAudioTrack, [](TEditCommands& c) { c.DefaultAudioTrack(); });
    command(actSetGroup, [](TEditCommands& c) { c.actSetGroupExecute(); });
    command(actSetAutoUpdate, [](TEditCommands& c) { c.actSetPropertyExecute(stAutoUpdate); });
    command(actSetRDS, [](TEditCommands& c) { c.actSetPropertyExecute(stRDS); });
    command(actSetSpeakers, [](TEditCommands& c) { c.actSetPropertyExecute(stSpeakers); });
    command(actSetEPGFlags, [](TEditCommands& c) { c.actSetEPGFlagsExecute(); });

    edit->SetKeepMovedChannelsChecked(actKeepMovedChannelsChecked->isChecked());
    connect(actKeepMovedChannelsChecked, &QAction::toggled, edit,
            &TEditCommands::SetKeepMovedChannelsChecked);
    connect(edit, &TEditCommands::NodeToShow, tvChannels,
            [this](const QModelIndex& node) { tvChannels->scrollTo(node); });
    connect(edit, &TEditCommands::GoToWindowUpdateNeeded, this, [] { UpdateGoToWindow(); });

    tvChannels->SetDropHandlers(
        [edit](const QModelIndex& dragged, const QModelIndex& target) {
            return edit->CanDrop(dragged, target);
        },
        [edit](const QModelIndex& dragged, const QModelIndex& target) {
            RunGuarded([&] { edit->Drop(dragged, target); });
        });
}

QString TfrmMain::CaptionFor(const QString& name) {
    QString caption = QFileInfo(name).fileName() + QStringLiteral(" - Orvane ") +
                      QLatin1String(OrvanePlatformTag) + QLatin1Char(' ') +
                      QLatin1String(OrvaneVersion) + QStringLiteral(" (Ctrl+F12)");
    if (!name.isEmpty() && TChannelDocument::IsDVBViewerFile(name))
        caption.prepend(QStringLiteral("DVBViewer_"));
    return caption;
}

void TfrmMain::UpdateCaption(const QString& name) {
    setWindowTitle(CaptionFor(name));
}

void TfrmMain::ShowInfoPane() {
    const bool structure = actViewStructure->isChecked();
    tvStructure->setVisible(structure);
    reChannelInfo->setVisible(!structure);
}

void TfrmMain::UpdateChannelInfoAndWindows() {
    if (actViewChannelInfo->isChecked()) {
        if (const TChannel* channel = ActiveTreeView().SelectedChannel()) {
            QString info = channel->AllInfo();
            info.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            reChannelInfo->setPlainText(info);
        }
    }
    UpdateGoToWindow();
}

void TfrmMain::UpdateStructure() {
    const bool followed = FMovesSinceStructure.size() == 1 &&
                          FTheStructure->MoveNode(Tree(), FMovesSinceStructure[0].OldRow,
                                                  FMovesSinceStructure[0].NewRow);
    FMovesSinceStructure.clear();
    if (!followed)
        FTheStructure->UpdateStructure(Tree());
    ShowStructure();
}

void TfrmMain::ShowStructure() {
    const bool reset = FStructureModel->Refresh();
    const QModelIndex first = FStructureModel->index(0, 0);
    if (first.isValid()) {
        if (reset)
            tvStructure->expandRecursively(first);
        else
            ShowFirstRootOnly();
        tvStructure->setCurrentIndex(first);
        tvStructure->scrollTo(first);
    }
    FIsNotHappy = !FTheStructure->IsHappy();
    UpdateHappyPanel();
}

void TfrmMain::ShowFirstRootOnly() {
    // The pane as a reset and a fresh expansion would leave it: the first root open all the
    // way down, everything else closed. Only nodes whose state differs are touched, since
    // each change makes the view lay its rows out again.
    const int roots = FStructureModel->rowCount();
    for (int r = 0; r < roots; ++r) {
        const QModelIndex root = FStructureModel->index(r, 0);
        const bool open = r == 0;
        const int categories = FStructureModel->rowCount(root);
        for (int c = 0; c < categories; ++c) {
            const QModelIndex category = FStructureModel->index(c, 0, root);
            if (tvStructure->isExpanded(category) != open)
                tvStructure->setExpanded(category, open);
        }
        if (tvStructure->isExpanded(root) != open)
            tvStructure->setExpanded(root, open);
    }
}

void TfrmMain::RestoreChannels(const std::vector<TChannel*>& rc) {
    FEditCommands->RestoreChannels(rc);
}

TfrmRestore* TfrmMain::CreateRestoreWindow() {
    TRestoreHost host;
    // Only the window's own commands: the restore window's copies carry the same names.
    host.Command = [this](const QString& name) {
        return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
    };
    host.UpdateActions = [this] { UpdateActions(); };
    host.RestoreChannels = [this](const std::vector<TChannel*>& rc) { RestoreChannels(rc); };
    host.FormKeyDown = [this](QKeyEvent* event) { return FormKeyDown(event); };
    FRestoreWindow = new TfrmRestore(*FDocument, std::move(host), this);
    return FRestoreWindow;
}

TfrmRestore* TfrmMain::RestoreWindow() const {
    return FRestoreWindow;
}

void TfrmMain::UpdateHappyPanel() {
    if (FStatusPanels[0])
        FStatusPanels[0]->setPixmap(HappyImage(FIsNotHappy ? 1 : 0).pixmap(16, 16));
}

void TfrmMain::ChangeTreeViewNames() {
    Tree().ChangeTreeViewNames();
}

void TfrmMain::ShowCheckedCount() {
    FStatusPanels[1]->setText(QStringLiteral("Checked: ") + QString::number(CheckedCount()));
}

void TfrmMain::SetEnabled(QAction* action, bool enabled) {
    action->setEnabled(enabled);
}

void TfrmMain::UpdateActions() {
    // Constant work: every value is a count or a flag, never a walk of the tree.
    const bool mainHasNodes = MainTreeView().HasNodes();
    const bool activeHasNodes = ActiveTreeView().HasNodes();
    const bool anyChecked = CheckedCount() > 0;
    const bool canSave = FDocument->IsModified() && !TChannelDocument::IsDVBViewerFile(FileName());

    SetEnabled(actFileSave, canSave);
    for (QAction* a : {actFileSaveAs, actAppendChecked, actAppendUnchecked, actApplyOrder,
                       actExport, actViewStructure, actMakeIPTVXepgReady, actRestoreDeleted})
        SetEnabled(a, mainHasNodes);
    // A list emptied by deleting shows there what a save would remove.
    SetEnabled(actChanges, mainHasNodes || !FileName().isEmpty());
    for (QAction* a : {actSaveCheckedAs, actDeleteChecked, actRenameCategories, actRenameRoots,
                       actMoveCheckedToTop, actMoveCheckedToBottom, actSetGroup,
                       actInsertCheckedBefore, actInsertCheckedAfter, actUncheckAll,
                       actSetAutoUpdate, actSetRDS, actSetSpeakers, actSetEPGFlags})
        SetEnabled(a, anyChecked);
    for (QAction* a : {actSearch, actCheckingByCategoryAndRoot, actCheckDuplicates, actCheckAll,
                       actInvertChecking, actDeleteAllBookmarks, actMakeManHappy, actToggleBookmark,
                       actExpandTreeView, actCollapseTreeView, actViewChannelInfo, actNoPath,
                       actSmallPath, actFullPath, actShowChannelNumbers, actEditChannelName})
        SetEnabled(a, activeHasNodes);
    for (QAction* a : {actGoTo, actViewGoTo, actViewChecking, actChecking, actDefaultAudioTrack})
        SetEnabled(a, true);
}

void TfrmMain::tiEnabledTimer() {
    // Constant work: two looks at the runtime folder and at most the start of one call, whose
    // answer comes later (ViewerChannelsRead); nothing here waits for the viewer.
    const bool running = IsViewerRunning();
    if (running)
        TuningManager().GetChannelsIfNone();
    else
        FViewerErrorShown = false;
    const bool mainHasNodes = MainTreeView().HasNodes();
    bool saveAllowed = mainHasNodes && !running;
    if (saveAllowed)
        saveAllowed = !IsRecorderServiceRunning();
    // A viewer the program cannot reach may still hold the list open. Listing the processes
    // is the dearest look of a tick, so it comes last and only when it can still decide.
    if (saveAllowed)
        saveAllowed = !IsViewerProcessRunning();
    actSaveDVBViewerFile->setEnabled(saveAllowed);
    UpdateTuneAction(running);
    UpdateActions();
}

void TfrmMain::UpdateTuneAction(bool running) {
    const TChannel* selected = ActiveTreeView().SelectedChannel();
    actTune->setEnabled(running && selected && TuningManager().CanTune(*selected));
}

void TfrmMain::ViewerChannelsRead() {
    FViewerErrorShown = false;
    UpdateTuneAction(IsViewerRunning());
}

void TfrmMain::ViewerCallFailed(const QString& message, bool automatic) {
    // A viewer that stays unreachable would otherwise raise a box every few seconds: the
    // user hears of it once, and again only after the viewer answered or stopped running.
    // A command the user gave always tells how it ended.
    if (automatic && FViewerErrorShown)
        return;
    FViewerErrorShown = true;
    ShowErrorMessage(message);
}

bool TfrmMain::FormKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier && modifiers != Qt::ControlModifier)
        return false;
    const int key = event->key();
    if (key < Qt::Key_F3 || key > Qt::Key_F8)
        return false;
    const int kind = (key - Qt::Key_F3) + (modifiers == Qt::ControlModifier ? 6 : 0);
    SelectNextMatching(kind);
    return true;
}

void TfrmMain::SelectNextMatching(int kind) {
    const TChannelTree& tree = ActiveTreeView();
    if (!tree.IsValid())
        return;
    const QModelIndex selected = tree.SelectedNode();
    if (!selected.isValid())
        return;
    const int row = FindNextMatching(*tree.Model, tree.Model->GetActualChannelNo(selected), kind);
    if (row < 0)
        return;
    // Whichever tree is active scrolls, the restore window's too.
    SelectAndShow(tree, tree.Model->NodeIndex(row));
    UpdateChannelInfoAndWindows();
}

void TfrmMain::SetPathMode(int mode) {
    Settings().PathMode = static_cast<quint8>(mode);
    ChangeTreeViewNames();
}

void TfrmMain::PrepareChannelsPopup(const QModelIndex& node) {
    const TChannel* channel = Tree().ChannelOf(node);
    if (!channel || !TChannelTreeModel::IsTopLevel(node))
        return;
    actInsertCheckedBefore->setText(QStringLiteral("Insert checked channels before: ") +
                                    channel->Name());
    actInsertCheckedAfter->setText(QStringLiteral("Insert checked channels after: ") +
                                   channel->Name());
    UpdateChannelInfoAndWindows();
}

void TfrmMain::actInformationExecute() {
    TfrmInfo window(this);
    FillInformation(window, InformationRuns(Channels(), Tree(), FileName()));
    window.exec();
}

void TfrmMain::actApplyOrderExecute() {
    ApplyOrderFromCommand(*FDocument, this);
}

void TfrmMain::actMakeIPTVXepgReadyExecute() {
    const TChannelTreeModel& tree = Tree();
    bool found = false;
    for (int row = 0; row < tree.TopCount() && !found; ++row)
        found = tree.ChannelAt(row)->Tuner() == 4;
    if (!found) {
        ShowErrorMessage(QStringLiteral("No IPTV channels found."));
        return;
    }
    TfrmMakeIPTVXepg window(Document(), this);
    connect(&window, &TfrmMakeIPTVXepg::SavedToDVBViewer, this,
            &TfrmMain::UpdateChannelInfoAndWindows);
    window.exec();
}

void TfrmMain::actViewStructureExecute() {
    actViewStructure->setChecked(true);
    ShowInfoPane();
    UpdateStructure();
}

void TfrmMain::actRestoreDeletedExecute() {
    // The restore window is made at start; a main window on its own gets one here.
    if (!FRestoreWindow)
        CreateRestoreWindow();
    // The shared commands act on the restore tree while the window is open, and on the main
    // tree again afterwards, whatever happened meanwhile.
    struct TActiveTreeGuard {
        ~TActiveTreeGuard() { SetActiveTreeView(MainTreeView()); }
    } guard;
    SetActiveTreeView(FRestoreWindow->Tree());
    FRestoreWindow->exec();
}

void TfrmMain::actMakeManHappyExecute() {
    // The preview reads the structure the pane shows, so the pane must be the one in use.
    if (!actViewStructure->isChecked()) {
        struct TWaitCursor {
            TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
            ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
        } wait;
        actViewStructureExecute();
    }
    TfrmMakeManHappy window(*FDocument, *FTheStructure, this);
    connect(&window, &TfrmMakeManHappy::Reordered, this, [this] {
        // The reorder leaves no node of the main tree selected and every node collapsed.
        tvChannels->selectionModel()->clear();
        tvChannels->collapseAll();
        ShowStructure();
        UpdateChannelInfoAndWindows();
        UpdateActions();
    });
    window.exec();
}

void TfrmMain::actViewChannelInfoExecute() {
    ShowInfoPane();
    UpdateChannelInfoAndWindows();
}

void TfrmMain::actHelpExecute() {
    const bool checking = FCheckingWindow && QApplication::activeWindow() == FCheckingWindow;
    ShowHelpPage(checking ? hpCheckUncheck : hpMain);
}

void TfrmMain::CreateSelectionWindows() {
    FfrmChecking = new TfrmChecking(this);
    FCheckingWindow = FfrmChecking;
    FfrmGoTo = new TfrmGoTo(this);
    FfrmGoTo->SetCheckedBoxVisible(false);
    SetMainGoToWindow(FfrmGoTo);
    connect(FfrmGoTo, &TfrmGoTo::VisibilityChanged, actViewGoTo, &QAction::setChecked);
    connect(FfrmChecking, &TfrmChecking::VisibilityChanged, actViewChecking, &QAction::setChecked);

    TSelectionHost host;
    host.FormKeyDown = [this](QKeyEvent* event) { return FormKeyDown(event); };
    host.UpdateChannelInfoAndWindows = [this] { UpdateChannelInfoAndWindows(); };
    host.SelectNextMatching = [this](int kind) { SelectNextMatching(kind); };
    SetSelectionHost(std::move(host));
}

void TfrmMain::actSearchExecute() {
    TfrmSearch window(this);
    window.exec();
}

void TfrmMain::actGoToExecute() {
    FfrmGoTo->show();
    FfrmGoTo->raise();
    FfrmGoTo->activateWindow();
}

void TfrmMain::actViewGoToExecute(bool checked) {
    if (checked)
        actGoToExecute();
    else
        FfrmGoTo->FormClose();
}

void TfrmMain::actCheckingExecute() {
    FfrmChecking->show();
    FfrmChecking->raise();
    FfrmChecking->activateWindow();
}

void TfrmMain::actViewCheckingExecute(bool checked) {
    if (checked)
        actCheckingExecute();
    else
        FfrmChecking->FormClose();
}

void TfrmMain::actCheckingByCategoryAndRootExecute() {
    TfrmCheckCategories window(this);
    window.exec();
}

void TfrmMain::actCheckDuplicatesExecute() {
    const TChannelTree& tree = ActiveTreeView();
    if (!tree.IsValid())
        return;
    const int found = CheckDuplicates(*tree.Model);
    UpdateGoToWindow();
    UpdateActions();
    statusBar()->showMessage(found == 0 ? QStringLiteral("No duplicates found.")
                                        : QStringLiteral("Duplicates checked: %1").arg(found),
                             DuplicatesMessageTimeout);
}

void TfrmMain::actTuneExecute() {
    if (const TChannel* channel = ActiveTreeView().SelectedChannel())
        TuningManager().Tune(*channel);
}

void TfrmMain::actFoldersExecute() {
    TfrmFolders window(this);
    window.exec();
}

void TfrmMain::actSettingsExecute() {
    TfrmSettings window(this);
    if (window.exec() == QDialog::Accepted)
        ChangeTreeViewNames();
}

void TfrmMain::actCodepageExecute() {
    TfrmCodePage window(this);
    if (window.exec() == QDialog::Accepted) {
        ChangeTreeViewNames();
        UpdateStructure();
        UpdateChannelInfoAndWindows();
    }
}

QTreeView* TfrmMain::FocusedTree() const {
    return tvStructure->hasFocus() ? tvStructure : static_cast<QTreeView*>(tvChannels);
}

void TfrmMain::actExpandTreeViewExecute() {
    FocusedTree()->expandAll();
}

void TfrmMain::actCollapseTreeViewExecute() {
    FocusedTree()->collapseAll();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    const TSettings& s = Settings();
    move(s.frmMainLeft, s.frmMainTop);
    // The stored height is that of the client area below the menu bar.
    resize(s.frmMainClientWidth, s.frmMainClientHeight + menuBar()->sizeHint().height());
    const int treeWidth = s.tvChannelsWidth;
    FSplitter->setSizes({treeWidth, qMax(MinimumPaneWidth, FSplitter->width() - treeWidth)});
    switch (s.PathMode) {
    case 0:
        actNoPath->setChecked(true);
        break;
    case 1:
        actSmallPath->setChecked(true);
        break;
    default:
        actFullPath->setChecked(true);
        break;
    }
    // The tool windows open once the main window is on screen.
    QMetaObject::invokeMethod(this, &TfrmMain::AfterShow, Qt::QueuedConnection);
}

void TfrmMain::AfterShow() {
    if (Settings().frmGoToVisible)
        FfrmGoTo->show();
    if (Settings().frmCheckingVisible)
        FfrmChecking->show();
    activateWindow();
}

void TfrmMain::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (event->spontaneous())
        return;
    TSettings& s = Settings();
    s.frmMainLeft = x();
    s.frmMainTop = y();
    s.frmMainClientHeight = height() - menuBar()->sizeHint().height();
    s.frmMainClientWidth = width();
    s.tvChannelsWidth = FSplitter->sizes().value(0, s.tvChannelsWidth);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (FDocument->IsModified() &&
        !AskWarningQuestion(QStringLiteral("Changes are not saved!!! Exit anyway?"))) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT FormClosed();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        if (FormKeyDown(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
