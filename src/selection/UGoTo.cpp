#include "selection/UGoTo.h"

#include "icons/UIcons.h"
#include "main/UChannelTreeModel.h"
#include "selection/USelectionHost.h"
#include "settings/USettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct TGroupText {
    const char* Group;
    const char* Caption;
    const char* Previous;
    const char* Next;
    const char* PreviousKey;
    const char* NextKey;
};

// In kind / 2 order.
constexpr TGroupText Groups[] = {
    {"gbBookmark", "BookMark", "btnPrevBookmark", "btnNextBookmark", "F3", "F4"},
    {"gbChecked", "Checked", "btnPrevChecked", "btnNextChecked", "F5", "F6"},
    {"gbEncryptted", "Encrypted", "btnPrevEncrypted", "btnNextEncrypted", "F7", "F8"},
    {"gbFTA", "FTA", "btnPrevFTA", "btnNextFTA", "Ctrl+F3", "Ctrl+F4"},
    {"gbRadio", "Radio", "btnPrevRadio", "btnNextRadio", "Ctrl+F5", "Ctrl+F6"},
    {"gbTV", "TV", "btnPrevTV", "btnNextTV", "Ctrl+F7", "Ctrl+F8"},
};

QLabel* Picture(const QIcon& icon, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(icon.pixmap(48, 48));
    label->setFixedSize(48, 48);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

TfrmGoTo::TfrmGoTo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmGoTo"));
    setWindowTitle(QStringLiteral("GoTo (Ctrl+G)"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    // Three pictures above the columns: what the jumps are about, back, forward.
    grid->addWidget(Picture(CommandIcon(QStringLiteral("actGoTo")), this), 0, 0, Qt::AlignCenter);
    grid->addWidget(Picture(CommandIcon(QStringLiteral("actMoveCheckedToTop")), this), 0, 1,
                    Qt::AlignCenter);
    grid->addWidget(Picture(CommandIcon(QStringLiteral("actMoveCheckedToBottom")), this), 0, 2,
                    Qt::AlignCenter);
    auto* previous = new QLabel(QStringLiteral("Previous"), this);
    previous->setObjectName(QStringLiteral("lblPrevious"));
    auto* next = new QLabel(QStringLiteral("Next"), this);
    next->setObjectName(QStringLiteral("lblNext"));
    grid->addWidget(previous, 1, 1, Qt::AlignCenter);
    grid->addWidget(next, 1, 2, Qt::AlignCenter);

    QGroupBox** groupFields[] = {&gbBookmark, &gbChecked, &gbEncryptted, &gbFTA, &gbRadio, &gbTV};
    QPushButton** buttonFields[] = {&btnPrevBookmark, &btnNextBookmark,  &btnPrevChecked,
                                    &btnNextChecked,  &btnPrevEncrypted, &btnNextEncrypted,
                                    &btnPrevFTA,      &btnNextFTA,       &btnPrevRadio,
                                    &btnNextRadio,    &btnPrevTV,        &btnNextTV};
    for (int g = 0; g < JumpKindCount / 2; ++g) {
        const TGroupText& text = Groups[g];
        auto* group = new QGroupBox(QLatin1String(text.Caption), this);
        group->setObjectName(QLatin1String(text.Group));
        auto* row = new QHBoxLayout(group);
        row->setContentsMargins(6, 2, 6, 4);
        for (int direction = 0; direction < 2; ++direction) {
            const int kind = 2 * g + direction;
            auto* button = new QPushButton(
                QLatin1String(direction == 0 ? text.PreviousKey : text.NextKey), group);
            button->setObjectName(QLatin1String(direction == 0 ? text.Previous : text.Next));
            button->setAccessibleName(
                QLatin1String(text.Caption) +
                (direction == 0 ? QStringLiteral(" previous") : QStringLiteral(" next")));
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::TabFocus);
            row->addWidget(button);
            FJumpButtons[static_cast<size_t>(kind)] = button;
            *buttonFields[kind] = button;
            connect(button, &QPushButton::clicked, this, [this, kind] { JumpClick(kind); });
        }
        *groupFields[g] = group;
        grid->addWidget(group, 2 + g, 0, 1, 3);
    }

    btnMakeSelectedVisible = new QPushButton(QStringLiteral("Make selected channel visible"), this);
    btnMakeSelectedVisible->setObjectName(QStringLiteral("btnMakeSelectedVisible"));
    btnMakeSelectedVisible->setAutoDefault(false);
    chbChecked = new QCheckBox(QStringLiteral("Checked (F12)"), this);
    chbChecked->setObjectName(QStringLiteral("chbChecked"));
    chbChecked->setToolTip(QStringLiteral("Use to check/uncheck selected channel"));
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chbChecked);
    bottom->addStretch();
    bottom->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(btnMakeSelectedVisible);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnMakeSelectedVisible, &QPushButton::clicked, this,
            &TfrmGoTo::btnMakeSelectedVisibleClick);
    connect(chbChecked, &QCheckBox::clicked, this, &TfrmGoTo::chbCheckedClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmGoTo::FormClose);

    FKeyPreview = new TKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
}

TfrmGoTo::~TfrmGoTo() {
    if (MainGoToWindow() == this)
        SetMainGoToWindow(nullptr);
}

void TfrmGoTo::SetCheckedBoxVisible(bool visible) {
    FCheckedBoxVisible = visible;
    chbChecked->setVisible(visible);
}

int TfrmGoTo::ShowModal() {
    const bool wasVisible = Settings().frmGoToVisible;
    // Modal to the window that opened it, so a help page opened from here stays usable.
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    const int result = exec();
    Settings().frmGoToVisible = wasVisible;
    return result;
}

void TfrmGoTo::SetEnabledControls() {
    const TChannelTree& tree = ActiveTreeView();
    const QModelIndex selected = tree.IsValid() ? tree.SelectedNode() : QModelIndex();
    std::array<bool, JumpKindCount> available{};
    if (selected.isValid())
        available = JumpAvailability(*tree.Model, tree.Model->GetActualChannelNo(selected));
    for (int kind = 0; kind < JumpKindCount; ++kind)
        FJumpButtons[static_cast<size_t>(kind)]->setEnabled(available[static_cast<size_t>(kind)]);
    if (selected.isValid())
        chbChecked->setEnabled(TChannelTreeModel::IsTopLevel(selected));
}

void TfrmGoTo::ShowSelectedTick() {
    chbChecked->setChecked(IsNodeChecked(ActiveTreeView().SelectedNode()));
}

void TfrmGoTo::JumpClick(int kind) {
    HostSelectNextMatching(kind);
    ShowSelectedTick();
    SetEnabledControls();
}

void TfrmGoTo::chbCheckedClick() {
    const QModelIndex node = ActiveTreeView().SelectedNode();
    if (chbChecked->isChecked())
        CheckNode(node);
    else
        UncheckNode(node);
    SetEnabledControls();
}

void TfrmGoTo::btnMakeSelectedVisibleClick() {
    MakeSelectedVisible(ActiveTreeView());
}

void TfrmGoTo::FormClose() {
    Settings().frmGoToVisible = false;
    Q_EMIT VisibilityChanged(false);
    if (isVisible())
        done(QDialog::Rejected);
}

void TfrmGoTo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    move(Settings().frmGoToLeft, Settings().frmGoToTop);
    Settings().frmGoToVisible = true;
    Q_EMIT VisibilityChanged(true);
    ShowSelectedTick();
    SetEnabledControls();
}

void TfrmGoTo::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    Settings().frmGoToLeft = x();
    Settings().frmGoToTop = y();
}

void TfrmGoTo::closeEvent(QCloseEvent* event) {
    Settings().frmGoToVisible = false;
    Q_EMIT VisibilityChanged(false);
    QDialog::closeEvent(event);
}

void TfrmGoTo::keyPressEvent(QKeyEvent* event) {
    // Esc is the main window's key here, like every key the window does not use.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmGoTo::FormKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_F12 && modifiers == Qt::NoModifier && FCheckedBoxVisible) {
        if (chbChecked->isEnabled())
            chbChecked->click();
        return true;
    }
    const bool used = HostFormKeyDown(event);
    ShowSelectedTick();
    SetEnabledControls();
    return used;
}
