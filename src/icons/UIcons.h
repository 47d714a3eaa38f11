#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// The program's pictures, drawn as SVG and kept in the resource under ":/icons/".
// Every function returns a null icon for an index or name that has no picture, so a
// caller can pass what it has without checking first. Icons are built once and shared,
// which keeps a tree of 100,000 rows from parsing the same file over and over.

// The 32 by 32 picture of a command, looked up by the QAction's objectName
// ("actMoveCheckedToTop" shows MoveCheckedToTop.svg).
QIcon CommandIcon(const QString& actionName);
// The objectNames that CommandIcon has a picture for, in alphabetical order.
QStringList CommandIconNames();

// Channel tree pictures: 1..8 = 1 + (1 radio) + (2 encrypted) + (4 bookmarked);
// 10 a root and 11 a category of the structure pane; 13 a selected node, 14 a selected
// bookmarked node.
QIcon NodeImage(int index);
// One icon that shows nodeImage normally and selectedImage while its row is selected
// (the item delegates ask for QIcon::Selected then); for a tree's decoration role.
QIcon NodeIcon(int nodeImage, int selectedImage);

// Tick pictures: 1 unticked, 2 ticked.
QIcon StateImage(int index);

// Status bar face: 0 the order is happy, 1 it is not.
QIcon HappyImage(int index);

// IPTV group states: 1 clashes with another group, 2 unique, 5 received a new network ID,
// 6 keeps its network ID.
QIcon IptvStateImage(int index);

// The program's own icon (window icon, about box).
QIcon AppIcon();
