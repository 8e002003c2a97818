// The destination grid: how many lines and circles each spacing gives, where
// the pixels go, and that the XOR grid drawn twice leaves the picture.
#include "dst_view.h"
#include "view_fixture.h"

#include <QTest>

using namespace karwen;
using namespace karwen::views;

class TestGridTool : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        images_ = std::make_unique<test::ImageFixture>();
        images_->destination(512, 512);
        view_ = test::openView<DstView>();
        QVERIFY(view_);
        QCOMPARE(view_->pictureSize(), QSize(512, 512));
    }

    void cleanup()
    {
        view_.reset();
        images_.reset();
    }

    void countsPerSpacing_data()
    {
        QTest::addColumn<int>("proj");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("circles");
        const int lines[] = {0, 72, 36, 24, 12, 8, 4};
        const int fisheyeCircles[] = {0, 18, 9, 6, 3, 2, 1};
        const int perspectiveCircles[] = {0, 17, 8, 5, 2, 1, 0};
        for (int p = 0; p < kProjectionCount; ++p)
            for (int i = 0; i < 7; ++i)
                QTest::addRow("%s, index %d", ProjName[p].c_str(), i)
                    << p << i << lines[i] << (p == kPerspective ? perspectiveCircles[i] : fisheyeCircles[i]);
    }

    void countsPerSpacing()
    {
        QFETCH(int, proj);
        QFETCH(int, index);
        DstPrm.Proj = proj;
        GridR = GridTheta = static_cast<int16_t>(index);
        view_->pct_update();
        QTEST(view_->gridTool().linesDrawn(), "lines");
        QTEST(view_->gridTool().circlesDrawn(), "circles");
    }

    void ninetyDegreeLinesLieOnTheAxes()
    {
        GridR = 0;
        GridTheta = 6; // 90 degrees: four lines
        QImage& canvas = view_->canvas();
        test::fillPattern(canvas);
        const QImage before = canvas.copy();
        view_->gridTool().paint(canvas);
        const QPointF c = view_->destinationCircle().centre;
        QCOMPARE(c, QPointF(256, 256));
        int onAxes = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) {
                if (canvas.pixel(x, y) == before.pixel(x, y))
                    continue;
                QVERIFY2(x == 256 || y == 256, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
                QVERIFY(qAbs(x - 256) + qAbs(y - 256) >= 4); // the gap around the centre
                ++onAxes;
            }
        // Dotted: about every other pixel of 4 x 252.
        QVERIFY(onAxes > 300 && onAxes < 700);
    }

    void horizonCirclePixels()
    {
        GridTheta = 0;
        GridR = 6; // the horizon only
        QImage& canvas = view_->canvas();
        test::fillPattern(canvas);
        const QImage before = canvas.copy();
        view_->gridTool().paint(canvas);
        int changed = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                if (canvas.pixel(x, y) != before.pixel(x, y)) {
                    const double r = std::hypot(x + 0.5 - 256, y + 0.5 - 256);
                    QVERIFY2(qAbs(r - 256) < 2, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
                    ++changed;
                }
        QVERIFY(changed > 300);
    }

    void gridTwiceRestoresCanvas()
    {
        for (int p : {kEquidistant, kPerspective}) {
            DstPrm.Proj = p;
            QImage& canvas = view_->canvas();
            test::fillPattern(canvas);
            const QImage before = canvas.copy();
            view_->gridTool().paint(canvas);
            QVERIFY(test::changedPixels(before, canvas) > 0);
            view_->gridTool().paint(canvas);
            QCOMPARE(test::changedPixels(before, canvas), 0);
        }
    }

    // While area measurement is on the view draws the dots, and the grid
    // settings change nothing on the picture.
    void areaOnDrawsNoGrid()
    {
        AreaOn = true;
        GridOn = true;
        view_->pct_update();
        const QImage withGrid = view_->canvas().copy();
        GridOn = false;
        view_->pct_update();
        QCOMPARE(test::changedPixels(withGrid, view_->canvas()), 0);
        AreaOn = false;
        GridOn = true;
        view_->pct_update();
        QVERIFY(test::changedPixels(withGrid, view_->canvas()) > 0);
    }

private:
    std::unique_ptr<test::ImageFixture> images_;
    std::unique_ptr<DstView> view_;
};

QTEST_MAIN(TestGridTool)
#include "tst_grid_tool.moc"
