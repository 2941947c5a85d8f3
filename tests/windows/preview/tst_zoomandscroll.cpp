#include "ZoomAndScroll.h"

#include <QtTest>

using namespace quill;

// The scroll and drag arithmetic of the preview window at the edges a window cannot easily reach.
class ZoomAndScrollTest : public QObject
{
    Q_OBJECT

private slots:
    void roundsHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("10.5 down") << 10.5 << 10;
        QTest::newRow("11.5 up") << 11.5 << 12;
        QTest::newRow("145.5 up") << 145.5 << 146;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("not a half") << 10.51 << 11;
        QTest::newRow("beyond 16 bits") << 40000.5 << 40000;
    }
    void roundsHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(roundHalfEven(value), expected);
    }

    void scrollRangeFollowsTheOverhang_data()
    {
        QTest::addColumn<int>("canvas");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        const int viewport = 9330;
        QTest::newRow("narrower") << viewport - 15 << false << 0 << 0;
        QTest::newRow("equal") << viewport << false << 0 << 0;
        QTest::newRow("1 twip over") << viewport + 1 << true << 1 << 1;
        QTest::newRow("100 over") << viewport + 100 << true << 100 << 1;
        QTest::newRow("105 over: 10.5 to 10") << viewport + 105 << true << 10 << 10;
        QTest::newRow("115 over: 11.5 to 12") << viewport + 115 << true << 12 << 10;
        QTest::newRow("2910 over") << viewport + 2910 << true << 291 << 10;
        QTest::newRow("tall canvas: 18049.5 to 18050") << 189825 << true << 18050 << 10;
    }
    void scrollRangeFollowsTheOverhang()
    {
        QFETCH(int, canvas);
        QFETCH(bool, enabled);
        QFETCH(int, maximum);
        QFETCH(int, step);
        const ScrollRange range = scrollRange(canvas, 9330);
        QCOMPARE(range.enabled, enabled);
        QCOMPARE(range.step, step);
        if (enabled)
            QCOMPARE(range.maximum, maximum);
    }

    void dragStaysInsideTheViewport_data()
    {
        QTest::addColumn<double>("edge");
        QTest::addColumn<int>("canvas");
        QTest::addColumn<double>("expected");
        const int inner = 9300;
        QTest::newRow("past the far edge") << -5000.0 << 12180 << double(inner - 12180);
        QTest::newRow("canvas as wide as the inner area") << -15.0 << inner << 0.0;
        QTest::newRow("canvas that fits, moved left") << -300.0 << 6000 << 0.0;
        QTest::newRow("canvas that fits, moved right") << 300.0 << 6000 << 0.0;
    }
    void dragStaysInsideTheViewport()
    {
        QFETCH(double, edge);
        QFETCH(int, canvas);
        QFETCH(double, expected);
        QCOMPARE(boundedDragEdge(edge, canvas, 9300), expected);
    }
};

QTEST_GUILESS_MAIN(ZoomAndScrollTest)
#include "tst_zoomandscroll.moc"
