#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QPushButton;

// Asks for a whole EPG flag byte, which the command that opened it gives the ticked channels.
// A set bit forbids that guide source. Cancel is the default button: Enter leaves the
// channels alone.
class TfrmSetEPGFlags : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSetEPGFlags(QWidget* parent = nullptr);

    // The byte the check boxes make, bit i from the box of bit i.
    quint8 Flags() const;

private:
    QGroupBox* gbEPGFlags = nullptr;
    QCheckBox* chbDVBEPG = nullptr;
    QCheckBox* chbMHWEpg = nullptr;
    QCheckBox* chbExternalEPG = nullptr;
    QCheckBox* chbBit3 = nullptr;
    QCheckBox* chbBit4 = nullptr;
    QCheckBox* chbBit5 = nullptr;
    QCheckBox* chbBit6 = nullptr;
    QCheckBox* chbBit7 = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    std::array<QCheckBox*, 8> FBits{};
};
