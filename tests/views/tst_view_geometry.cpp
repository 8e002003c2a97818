#include "view_geometry.h"

#include <QTest>

using namespace karwen::views;

class TestViewGeometry : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<int>("x0");
        QTest::addColumn<int>("y0");
        QTest::addColumn<int>("pictureH");
        for (float s : {0.25f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 4.0f, 8.0f}) {
            QTest::addRow("zoom %g", double(s)) << s << 13 << 250 << 500;
            QTest::addRow("centred %g", double(s)) << s << -26 << -34 << 117;
        }
    }

    void roundTrip()
    {
        QFETCH(float, scale);
        QFETCH(int, x0);
        QFETCH(int, y0);
        QFETCH(int, pictureH);
        const ViewMapping m{scale, x0, y0, pictureH};
        for (const QPointF p : {QPointF(0, 0), QPointF(123.25, 456.5), QPointF(-3, 4000)}) {
            const QPointF back = mapToImage(m, mapToView(m, p));
            QVERIFY(qAbs(back.x() - p.x()) < 1e-9);
            QVERIFY(qAbs(back.y() - p.y()) < 1e-9);
            const QPointF view = mapToView(m, mapToImage(m, p));
            QVERIFY(qAbs(view.x() - p.x()) < 1e-9);
        }
    }

    void mapsKnownPoints()
    {
        // Image y counts upward: the bottom-left image corner is at the
        // picture's bottom edge when nothing is scrolled.
        const ViewMapping m{2.0f, 10, 20, 300};
        QCOMPARE(mapToView(m, QPointF(10, 20)), QPointF(0, 300));
        QCOMPARE(mapToView(m, QPointF(15, 30)), QPointF(10, 280));
        QCOMPARE(mapToImage(m, QPointF(0, 0)), QPointF(10, 170));
    }

    void centring_data()
    {
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("picture");
        QTest::addColumn<float>("scale");
        QTest::addColumn<bool>("scrolls");
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("offset");
        QTest::newRow("d=-5 gives -2") << 10 << 15 << 1.0f << false << 0 << -2;
        QTest::newRow("d=-3 gives -2") << 10 << 13 << 1.0f << false << 0 << -2;
        QTest::newRow("d=-1 gives 0") << 10 << 11 << 1.0f << false << 0 << 0;
        QTest::newRow("d=0 fits exactly") << 512 << 512 << 1.0f << false << 0 << 0;
        QTest::newRow("one hidden column") << 513 << 512 << 1.0f << true << 1 << 0;
    }

    void centring()
    {
        QFETCH(int, image);
        QFETCH(int, picture);
        QFETCH(float, scale);
        const AxisRange a = axisRange(image, picture, scale);
        QTEST(a.scrolls, "scrolls");
        QTEST(a.range, "range");
        QTEST(a.centredOffset, "offset");
    }

    void zoomStepsFitAndRoom()
    {
        QCOMPARE(steppedZoom(1.0f, +1), 1.5f);
        QCOMPARE(steppedZoom(1.0f, -1), 0.75f);
        QCOMPARE(steppedZoom(0.3f, -1), 0.25f); // from a fitted zoom to the next step
        QCOMPARE(steppedZoom(0.3f, +1), 0.5f);
        QCOMPARE(steppedZoom(8.0f, +1), 8.0f);
        QCOMPARE(steppedZoom(0.25f, -1), 0.25f);
        QCOMPARE(zoomToFit({2272, 1704}, {568, 600}), 0.25f);
        QCOMPARE(zoomToFit({2000, 1000}, {600, 100}), 0.1f);
        QCOMPARE(fittedPicture(3000.0f, 800.0f, {700, 900}), QSize(700, 800));
        QCOMPARE(fittedPicture(300.0f, 200.0f, {0, -5}), QSize(1, 1));
    }

    void windowsKeptInsideTheFrame()
    {
        const QSize frame(700, 500);
        QCOMPARE(keptInside({10, 20, 300, 200}, frame), QRect(10, 20, 300, 200));
        QCOMPARE(keptInside({600, 450, 300, 200}, frame), QRect(400, 300, 300, 200));
        QCOMPARE(keptInside({-30, -4, 900, 200}, frame), QRect(0, 0, 700, 200));
        // Room up to the far edges, or the whole side when under a third is left.
        QCOMPARE(roomFrom({355, 0}, frame), QSize(345, 500));
        QCOMPARE(roomFrom({500, 400}, frame), QSize(700, 500));
        QCOMPARE(roomFrom({-10, 0}, frame), QSize(700, 500));
    }

    void hundredths()
    {
        QCOMPARE(roundHalfEven(2.5), 2);
        QCOMPARE(roundHalfEven(3.5), 4);
        QCOMPARE(roundHalfEven(-2.5), -2);
        QCOMPARE(hund(1.234), 1.23);
        QCOMPARE(hund(0.125), 0.12); // 12.5 rounds to the even 12
        QCOMPARE(fittedPicture(4096.0f, 300.5f), QSize(1024, 300));
    }
};

QTEST_MAIN(TestViewGeometry)
#include "tst_view_geometry.moc"
