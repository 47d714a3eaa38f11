#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Addresses behind the About window's three links.
inline constexpr const char* MakerUrl = "https://orvane.example.org/";
inline constexpr const char* HomeUrl = "https://orvane.example.org/orvane/";
inline constexpr const char* ChangelogUrl = "https://orvane.example.org/orvane/changelog/";

// The About window: program icon, name, version and the maker's links. Created for each use
// and shown modally.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* lblVersion() const { return FlblVersion; }

private:
    // Opens a link's address in the web browser.
    void OpenLink(const QString& address);

    QLabel* FlblVersion = nullptr;
};

// Shows the About window modally and frees it.
void ShowAboutBox(QWidget* parent = nullptr);
