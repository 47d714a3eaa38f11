#include "common/GuiTest.h"
#include "structure/UHappyManView.h"
#include "structure/UStructure.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 Blue = 0x0000FF;
constexpr quint32 Green = 0x008000;
constexpr quint32 Black = 0x000000;
constexpr quint32 Red = 0xFF0000;

// A root, a category and `channels` channel lines; every third channel line has a red tail.
TStructureText Sample(int channels, const QString& longName = {}) {
    TStructureText text;
    text.Add({u"Astra 19.2E"}, Blue, true);
    text.EndLine();
    text.Add({u"   ARD"}, Green, false);
    text.EndLine();
    for (int i = 0; i < channels; ++i) {
        const QString name = i == channels / 2 && !longName.isEmpty()
                                 ? longName
                                 : u"Channel "_s + QString::number(i);
        text.Add({u"      [", QString::number(i), u"] ", name}, Black, false);
        if (i % 3 == 1)
            text.Add({u"   [", QString::number(i + 7), u"]"}, Red, true);
        text.EndLine();
    }
    return text;
}

enum TInk { Plain, InBlue, InGreen, InRed, InkCount };

// Counts the strongly coloured pixels of one line as painted, and where the first red one
// stands.
struct TLineInk {
    int Count[InkCount] = {};
    int FirstRedX = -1;
    int LastBlackX = -1;
};

TLineInk InkOf(const QImage& image, const QRect& line) {
    // By which channel stands out rather than by fixed levels: a thin font, smoothed, paints few
    // pixels in the full colour and many in paler shades of it.
    constexpr int Lead = 40;
    TLineInk ink;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int r = c.red(), g = c.green(), b = c.blue();
            if (r - std::max(g, b) > Lead) {
                ++ink.Count[InRed];
                if (ink.FirstRedX < 0 || x < ink.FirstRedX)
                    ink.FirstRedX = x;
            } else if (b - std::max(r, g) > Lead) {
                ++ink.Count[InBlue];
            } else if (g - std::max(r, b) > Lead) {
                ++ink.Count[InGreen];
            } else if (std::max({r, g, b}) < 110 &&
                       std::max({r, g, b}) - std::min({r, g, b}) < 30) {
                ++ink.Count[Plain];
                ink.LastBlackX = std::max(ink.LastBlackX, x);
            }
        }
    return ink;
}

} // namespace

class TestHappyManView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void paintsEveryRunInItsColourAndWeightInOrder() {
        THappyManView view;
        view.resize(400, 200);
        view.SetText(Sample(4));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.clearFocus();
        const QImage image = view.viewport()->grab().toImage();
        const auto line = [&](int n) {
            return InkOf(image, view.visualRect(view.model()->index(n, 0)));
        };

        const TLineInk root = line(0);
        QVERIFY(root.Count[InBlue] > 20);
        QCOMPARE(root.Count[InRed] + root.Count[InGreen], 0);
        const TLineInk category = line(1);
        QVERIFY(category.Count[InGreen] > 10);
        QCOMPARE(category.Count[InRed] + category.Count[InBlue], 0);
        const TLineInk still = line(2); // channel 0: no red tail
        QVERIFY(still.Count[Plain] > 20);
        QCOMPARE(still.Count[InRed] + still.Count[InBlue] + still.Count[InGreen], 0);
        const TLineInk moving = line(3); // channel 1: red tail after the black text
        QVERIFY(moving.Count[Plain] > 20);
        QVERIFY(moving.Count[InRed] > 10);
        QVERIFY(moving.FirstRedX > moving.LastBlackX);
        // The blue root is bold: more ink than the same letters would take regular.
        TStructureText regular;
        regular.Add({u"Astra 19.2E"}, Blue, false);
        regular.EndLine();
        view.SetText(std::move(regular));
        const QImage thin = view.viewport()->grab().toImage();
        QVERIFY(InkOf(thin, view.visualRect(view.model()->index(0, 0))).Count[InBlue] <
                root.Count[InBlue]);
    }

    void copiesTheSelectedLinesInTextOrderWithTheirLineEnds() {
        THappyManView view;
        view.SetText(Sample(6));
        QItemSelectionModel& selection = *view.selectionModel();
        const auto row = [&](int n) { return view.model()->index(n, 0); };
        selection.select(row(5), QItemSelectionModel::Select);
        selection.select(QItemSelection(row(2), row(3)), QItemSelectionModel::Select);
        selection.select(row(3), QItemSelectionModel::Select); // selected twice, copied once
        QTest::keySequence(&view, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 u"      [0] Channel 0\r\n      [1] Channel 1   [8]\r\n      [3] Channel 3\r\n"_s);

        view.selectAll();
        view.CopySelection();
        QCOMPARE(QGuiApplication::clipboard()->text(), view.Text().Text().toString());
        QVERIFY(QGuiApplication::clipboard()->text().endsWith(u"[5] Channel 5\r\n"_s));

        view.clearSelection();
        QCOMPARE(view.SelectedText(), QString());

        // The right-click menu does the same.
        QAction* all = Child<QAction>(&view, "actSelectAllLines");
        QAction* copy = Child<QAction>(&view, "actCopyLines");
        QVERIFY(all && copy && view.actions().contains(all) && view.actions().contains(copy));
        QGuiApplication::clipboard()->clear();
        all->trigger();
        copy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), view.Text().Text().toString());
    }

    void caretGoesToTheLineWithNothingSelectedAndInSight() {
        THappyManView view;
        view.resize(300, 150);
        view.SetText(Sample(5000));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.selectAll();
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        view.PutCaretOnLine(4000);
        QCOMPARE(view.CaretLine(), 4000);
        QVERIFY(!view.selectionModel()->hasSelection());
        QVERIFY(view.viewport()->rect().contains(view.visualRect(view.model()->index(4000, 0))));
        QCOMPARE(view.horizontalScrollBar()->value(), view.horizontalScrollBar()->minimum());
        // Lines that do not exist leave the caret where it is.
        view.PutCaretOnLine(5002);
        view.PutCaretOnLine(-1);
        QCOMPARE(view.CaretLine(), 4000);
    }

    void arrowKeysMoveTheCaretAndShiftSelectsWholeLines() {
        THappyManView view;
        view.SetText(Sample(10));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.PutCaretOnLine(2);
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(view.CaretLine(), 3);
        QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(view.CaretLine(), 5);
        QCOMPARE(view.SelectedText(), view.Text().Lines(3, 5).toString());
    }

    void theWidestLineCanBeScrolledIntoSight() {
        THappyManView view;
        view.resize(200, 150);
        const QString longName = u"W"_s.repeated(60) + u" and then some"_s;
        view.SetText(Sample(40, longName));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // The long line (channel 20) has no red tail.
        const int needed =
            QFontMetrics(view.font()).horizontalAdvance(view.Text().Line(22).toString());
        QVERIFY2(view.ContentWidth() >= needed,
                 qPrintable(u"%1 < %2"_s.arg(view.ContentWidth()).arg(needed)));
        QScrollBar& bar = *view.horizontalScrollBar();
        QVERIFY(bar.maximum() + view.viewport()->width() >= needed);

        // A shorter text gives the room back: the width is not the first text's for good.
        view.SetText(Sample(3));
        QApplication::processEvents();
        QVERIFY(view.ContentWidth() < needed / 2);
        QCOMPARE(bar.maximum(), 0);
    }
};

QTEST_MAIN(TestHappyManView)
#include "tst_happymanview.moc"
