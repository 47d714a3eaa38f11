#pragma once

#include <QDialog>

class QLineEdit;
class TActiveObjectCall;
class QPushButton;
class QTimer;

// The modal window in which the user sees and changes the viewer's data folder and the
// default work folder. Created for each use.
class TfrmFolders : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFolders(QWidget* parent = nullptr);

    void btnDetectClick();
    void btnBrowseClick();
    void btnOKClick();
    void tiDetectTimer();
    // "Detect" has asked the viewer and waits for its answer.
    bool Detecting() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void EditChanged();
    void EndDetect();

    QLineEdit* edtDVBViewerDataFolder = nullptr;
    QLineEdit* edtDefaultWorkFolder = nullptr;
    QPushButton* btnDetect = nullptr;
    QPushButton* btnBrowse = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* llDataFolder = nullptr;
    QPushButton* llDVBViewerDataFolder = nullptr;
    QTimer* tiDetect = nullptr;

    TActiveObjectCall* FDetectCall = nullptr;
};
