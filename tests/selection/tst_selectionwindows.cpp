#include <QTest>
class TestSelectionWindows : public QObject {
    Q_OBJECT
};
QTEST_MAIN(TestSelectionWindows)
#include "tst_selectionwindows.moc"
