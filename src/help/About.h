#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About window: program icon, name, version and the names of the program's home and change
// log. Created for each use and shown modally.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* lblVersion() const { return FlblVersion; }

private:
    QLabel* FlblVersion = nullptr;
};

// Shows the About window modally and frees it.
void ShowAboutBox(QWidget* parent = nullptr);
