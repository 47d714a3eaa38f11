#pragma once

#include "main/UApplyOrder.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QWidget;
class TChannelDocument;

// Asks what the channels take from the reference list besides its order.
class TfrmApplyOrder : public QDialog {
    Q_OBJECT

public:
    explicit TfrmApplyOrder(QWidget* parent = nullptr);

    TTakeOver TakeOver() const;

private:
    QCheckBox* chbNames = nullptr;
    QCheckBox* chbGroup = nullptr;
    QCheckBox* chbEPGFlags = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};

// "Apply Order From...": the reference file, what to take over, the reorder and a summary.
// A file that cannot be read raises its error and changes nothing.
void ApplyOrderFromCommand(TChannelDocument& document, QWidget* parent);
