#include "icons/UIcons.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#if ORVANE_PICTURES_SVG
#include <QSvgRenderer>
#endif

namespace {

// The commands of the main window (menus, popups, the focus shortcut) and of the restore
// window, by the objectName their QAction carries.
const char* const kCommands[] = {
    // File
    "actOpenDVBViewerFile", "actSaveDVBViewerFile", "actFileOpen", "actFileSaveAs", "actFileSave",
    "actAppendChecked", "actAppendUnchecked", "actApplyOrder", "actExport", "actChanges",
    "actInformation", "actExit",
    // Edit
    "actSearch", "actGoTo", "actToggleBookmark", "actDeleteAllBookmarks", "actRestoreDeleted",
    "actMakeManHappy", "actMakeIPTVXepgReady",
    // View
    "actNoPath", "actSmallPath", "actFullPath", "actViewStructure", "actViewChannelInfo",
    "actShowChannelNumbers", "actViewChecking", "actViewGoTo",
    // Check/Uncheck
    "actChecking", "actCheckingByCategoryAndRoot", "actCheckDuplicates", "actUncheckAll",
    "actCheckAll", "actInvertChecking",
    // With Checked do
    "actKeepMovedChannelsChecked", "actRenameCategories", "actRenameRoots", "actMoveCheckedToTop",
    "actMoveCheckedToBottom", "actDeleteChecked", "actSaveCheckedAs", "actSetGroup",
    "actSetAutoUpdate", "actSetEPGFlags", "actSetSpeakers", "actSetRDS",
    // Options, Help
    "actFolders", "actSettings", "actCodepage", "actHelp", "actAbout",
    // Popups and keys
    "actInsertCheckedBefore", "actInsertCheckedAfter", "actTune", "actEditChannelName",
    "actDefaultAudioTrack", "actExpandTreeView", "actCollapseTreeView", "actFocusMainForm",
    // Restore window
    "actRestore", "actDeletePermanently"};

const int kNodeIndexes[] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 13, 14};

QImage Render(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(QSize(size, size), 1.0, mode)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

int OpaquePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                ++n;
    return n;
}

// Pixels of one hue family in a part of the image: strong, saturated colours only, so
// anti-aliased edges and the dark outline do not count.
int PixelsOfHue(const QImage& image, const QRect& area, int hueFrom, int hueTo) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (c.alpha() < 200 || c.hsvSaturation() < 140 || c.value() < 150)
                continue;
            const int h = c.hsvHue();
            if (hueFrom <= hueTo ? (h >= hueFrom && h <= hueTo) : (h >= hueFrom || h <= hueTo))
                ++n;
        }
    return n;
}

int Red(const QImage& i, const QRect& r) {
    return PixelsOfHue(i, r, 350, 10);
}
int Orange(const QImage& i, const QRect& r) {
    return PixelsOfHue(i, r, 20, 34);
}
int Yellow(const QImage& i, const QRect& r) {
    return PixelsOfHue(i, r, 40, 60);
}
int Green(const QImage& i, const QRect& r) {
    return PixelsOfHue(i, r, 100, 160);
}
int Blue(const QImage& i, const QRect& r) {
    return PixelsOfHue(i, r, 195, 225);
}

QByteArray Fingerprint(const QImage& image) {
    return QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()),
                                    QCryptographicHash::Sha1);
}

struct TOffered {
    QString Name;
    QIcon Icon;
};

QList<TOffered> EverythingOffered() {
    QList<TOffered> all;
    for (const char* name : kCommands)
        all.append({QLatin1StringView(name), CommandIcon(QLatin1StringView(name))});
    for (int i : kNodeIndexes)
        all.append({QStringLiteral("NodeImage(%1)").arg(i), NodeImage(i)});
    for (int i : {1, 2})
        all.append({QStringLiteral("StateImage(%1)").arg(i), StateImage(i)});
    for (int i : {0, 1})
        all.append({QStringLiteral("HappyImage(%1)").arg(i), HappyImage(i)});
    for (int i : {1, 2, 5, 6})
        all.append({QStringLiteral("IptvStateImage(%1)").arg(i), IptvStateImage(i)});
    all.append({QStringLiteral("AppIcon()"), AppIcon()});
    return all;
}

QString SourceIconFolder() {
    return qEnvironmentVariable("ORVANE_SOURCE_DIR") + QStringLiteral("/resources/icons");
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureRendersAt16And32_data();
    void everyPictureRendersAt16And32();
    void commandPicturesAreOfferedForExactlyTheCommands();
    void namesWithoutAPictureGiveANullIcon_data();
    void namesWithoutAPictureGiveANullIcon();
    void indexesWithoutAPictureGiveANullIcon();
    void noTwoPicturesLookTheSame();
    void nodeImagesFollowTheChannelKind_data();
    void nodeImagesFollowTheChannelKind();
    void selectedImagesMarkBookmarksToo();
    void nodeIconSwitchesToTheSelectedImageOnSelection();
    void nodeIconWithoutSelectedImageIsThePlainNodeImage();
    void tickedBoxHasATickAndUntickedHasNone();
    void unhappyFaceDiffersInColourFromTheHappyOne();
    void iptvStatesAreTellApartByColour();
    void resourceHoldsExactlyTheDrawnFiles();
    void everyResourceFileIsValidSvgAndReachable();
};

void TestIcons::everyPictureRendersAt16And32_data() {
    QTest::addColumn<QIcon>("icon");
    for (const TOffered& o : EverythingOffered())
        QTest::newRow(qPrintable(o.Name)) << o.Icon;
}

void TestIcons::everyPictureRendersAt16And32() {
    QFETCH(QIcon, icon);
    QVERIFY(!icon.isNull());
    for (int size : {16, 32}) {
        const QImage image = Render(icon, size);
        QCOMPARE(image.size(), QSize(size, size));
        // A picture must fill a fair part of its square to be readable at all.
        QVERIFY2(
            OpaquePixels(image) > size * size / 5,
            qPrintable(
                QStringLiteral("only %1 opaque pixels at %2").arg(OpaquePixels(image)).arg(size)));
    }
}

void TestIcons::commandPicturesAreOfferedForExactlyTheCommands() {
    QStringList expected;
    for (const char* name : kCommands)
        expected.append(QLatin1StringView(name));
    expected.sort();
    QStringList offered = CommandIconNames();
    QStringList sorted = offered;
    sorted.sort();
    QCOMPARE(offered, sorted);
    QCOMPARE(offered, expected);
}

void TestIcons::namesWithoutAPictureGiveANullIcon_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("prefix only") << QStringLiteral("act");
    QTest::newRow("without prefix") << QStringLiteral("MoveCheckedToTop");
    QTest::newRow("lower case") << QStringLiteral("actmovecheckedtotop");
    QTest::newRow("unknown command") << QStringLiteral("actFrobnicate");
    QTest::newRow("tree picture") << QStringLiteral("actNodeTV");
    QTest::newRow("face picture") << QStringLiteral("actHappy");
    QTest::newRow("program icon") << QStringLiteral("actAppIcon");
    QTest::newRow("path") << QStringLiteral("act../icons/Help");
    QTest::newRow("trailing text") << QStringLiteral("actHelp2");
    QTest::newRow("shorter") << QStringLiteral("actHel");
}

void TestIcons::namesWithoutAPictureGiveANullIcon() {
    QFETCH(QString, name);
    QVERIFY(CommandIcon(name).isNull());
}

void TestIcons::indexesWithoutAPictureGiveANullIcon() {
    for (int i : {-1, 0, 9, 12, 15, 100})
        QVERIFY2(NodeImage(i).isNull(), qPrintable(QString::number(i)));
    for (int i : {-1, 0, 3})
        QVERIFY2(StateImage(i).isNull(), qPrintable(QString::number(i)));
    for (int i : {-1, 2})
        QVERIFY2(HappyImage(i).isNull(), qPrintable(QString::number(i)));
    for (int i : {0, 3, 4, 7})
        QVERIFY2(IptvStateImage(i).isNull(), qPrintable(QString::number(i)));
    QVERIFY(NodeIcon(0, 13).isNull());
    QVERIFY(NodeIcon(9, 14).isNull());
}

void TestIcons::noTwoPicturesLookTheSame() {
    // Commands of one menu share a look, but each must still be told apart from the rest
    // at menu size; identical images mean a picture was mapped twice.
    QHash<QByteArray, QString> seen;
    for (const TOffered& o : EverythingOffered()) {
        const QByteArray key = Fingerprint(Render(o.Icon, 16));
        QVERIFY2(!seen.contains(key),
                 qPrintable(o.Name + QStringLiteral(" looks like ") + seen.value(key)));
        seen.insert(key, o.Name);
    }
}

void TestIcons::nodeImagesFollowTheChannelKind_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("16 px") << 16;
    QTest::newRow("32 px") << 32;
}

void TestIcons::nodeImagesFollowTheChannelKind() {
    QFETCH(int, size);
    const int half = size / 2;
    const QRect whole(0, 0, size, size);
    const QRect topRight(half, 0, half, half);
    const QRect bottomRight(half, half, half, half);
    const QRect left(0, 0, half, size);
    for (int index = 1; index <= 8; ++index) {
        const bool radio = (index - 1) & 1;
        const bool encrypted = (index - 1) & 2;
        const bool bookmarked = (index - 1) & 4;
        const QImage image = Render(NodeImage(index), size);
        const QString what = QStringLiteral("image %1 at %2 px").arg(index).arg(size);
        // TV is a blue screen, radio an orange set; the left half is never covered by the
        // lock or the bookmark, so it alone must tell the two apart.
        if (radio) {
            QVERIFY2(Orange(image, left) > size, qPrintable(what));
            QVERIFY2(Blue(image, whole) == 0, qPrintable(what));
        } else {
            QVERIFY2(Blue(image, left) > size, qPrintable(what));
            QVERIFY2(Orange(image, whole) == 0, qPrintable(what));
        }
        // The padlock is yellow in the bottom-right corner; nothing else is yellow.
        if (encrypted)
            QVERIFY2(Yellow(image, bottomRight) >= size / 2, qPrintable(what));
        else
            QVERIFY2(Yellow(image, whole) == 0, qPrintable(what));
        // The bookmark is red in the top-right corner; nothing else is red.
        if (bookmarked)
            QVERIFY2(Red(image, topRight) >= size / 2, qPrintable(what));
        else
            QVERIFY2(Red(image, whole) == 0, qPrintable(what));
    }
}

void TestIcons::selectedImagesMarkBookmarksToo() {
    const QImage plain = Render(NodeImage(13), 16);
    const QImage marked = Render(NodeImage(14), 16);
    QCOMPARE(Red(plain, plain.rect()), 0);
    QVERIFY(Red(marked, QRect(8, 0, 8, 8)) >= 8);
}

void TestIcons::nodeIconSwitchesToTheSelectedImageOnSelection() {
    const QIcon icon = NodeIcon(8, 14);
    QVERIFY(!icon.isNull());
    for (int size : {16, 32}) {
        QCOMPARE(Render(icon, size, QIcon::Normal), Render(NodeImage(8), size));
        QCOMPARE(Render(icon, size, QIcon::Selected), Render(NodeImage(14), size));
    }
    QVERIFY(Render(icon, 16, QIcon::Normal) != Render(icon, 16, QIcon::Selected));
    // The same pair is handed out again, not drawn anew per row.
    QCOMPARE(NodeIcon(8, 14).cacheKey(), icon.cacheKey());
    QVERIFY(NodeIcon(1, 13).cacheKey() != icon.cacheKey());
}

void TestIcons::nodeIconWithoutSelectedImageIsThePlainNodeImage() {
    // Root and category nodes of the structure pane keep their picture when selected.
    const QIcon icon = NodeIcon(10, -1);
    QCOMPARE(Render(icon, 16, QIcon::Normal), Render(NodeImage(10), 16));
}

void TestIcons::tickedBoxHasATickAndUntickedHasNone() {
    for (int size : {16, 32}) {
        const QImage unticked = Render(StateImage(1), size);
        const QImage ticked = Render(StateImage(2), size);
        QCOMPARE(Green(unticked, unticked.rect()), 0);
        QVERIFY(Green(ticked, ticked.rect()) >= size / 2);
    }
}

void TestIcons::unhappyFaceDiffersInColourFromTheHappyOne() {
    const QImage happy = Render(HappyImage(0), 16);
    const QImage unhappy = Render(HappyImage(1), 16);
    QVERIFY(Yellow(happy, happy.rect()) > 60);
    QCOMPARE(Yellow(unhappy, unhappy.rect()), 0);
}

void TestIcons::iptvStatesAreTellApartByColour() {
    const QImage clash = Render(IptvStateImage(1), 16);
    const QImage unique = Render(IptvStateImage(2), 16);
    const QImage renumbered = Render(IptvStateImage(5), 16);
    QVERIFY(Red(clash, clash.rect()) > 60);
    QVERIFY(Green(unique, unique.rect()) > 60);
    QVERIFY(Blue(renumbered, renumbered.rect()) > 60);
    QCOMPARE(Red(unique, unique.rect()), 0);
    QCOMPARE(Red(renumbered, renumbered.rect()), 0);
    QCOMPARE(Red(Render(IptvStateImage(6), 16), QRect(0, 0, 16, 16)), 0);
}

// The base names of the packed pictures: "X.svg", or "X-<size>.png" where the build renders
// the SVGs as PNGs.
QStringList PackedPictureNames() {
    const QDir packed(QStringLiteral(":/icons"));
    QStringList names;
#if ORVANE_PICTURES_SVG
    for (const QString& file : packed.entryList({QStringLiteral("*.svg")}, QDir::Files))
        names.append(file.chopped(4));
#else
    static const QRegularExpression rendered(QStringLiteral("^(.+)-(\\d+)\\.png$"));
    for (const QString& file : packed.entryList({QStringLiteral("*.png")}, QDir::Files)) {
        const QRegularExpressionMatch match = rendered.match(file);
        if (match.hasMatch() && !names.contains(match.captured(1)))
            names.append(match.captured(1));
    }
#endif
    names.sort();
    return names;
}

void TestIcons::resourceHoldsExactlyTheDrawnFiles() {
    // Touch the unit first so that the resource is registered.
    QVERIFY(!AppIcon().isNull());
    const QDir source(SourceIconFolder());
    QVERIFY2(source.exists(), qPrintable(source.path()));
    QStringList drawn;
    for (const QString& file : source.entryList({QStringLiteral("*.svg")}, QDir::Files))
        drawn.append(file.chopped(4));
    drawn.sort();
    QVERIFY(!drawn.isEmpty());
    QCOMPARE(PackedPictureNames(), drawn);
#if !ORVANE_PICTURES_SVG
    // Every picture at every size the program shows it, and at twice that.
    for (const QString& name : drawn)
        for (const int size : {16, 20, 24, 32, 40, 48, 64})
            QVERIFY2(QFile::exists(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size)),
                     qPrintable(QStringLiteral("%1 at %2").arg(name).arg(size)));
#endif
}

void TestIcons::everyResourceFileIsValidSvgAndReachable() {
    QSet<QByteArray> offered;
    for (const TOffered& o : EverythingOffered())
        offered.insert(Fingerprint(Render(o.Icon, 32)));
    const QStringList names = PackedPictureNames();
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) {
#if ORVANE_PICTURES_SVG
        const QString path = QStringLiteral(":/icons/%1.svg").arg(name);
        QSvgRenderer renderer(path);
        QVERIFY2(renderer.isValid(), qPrintable(path));
#else
        const QString path = QStringLiteral(":/icons/%1-32.png").arg(name);
        const QImage image(path);
        QVERIFY2(!image.isNull() && image.size() == QSize(32, 32), qPrintable(path));
#endif
        QVERIFY2(offered.contains(Fingerprint(Render(QIcon(path), 32))),
                 qPrintable(path + QStringLiteral(" is drawn but nothing hands it out")));
    }
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
