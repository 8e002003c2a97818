// The area tool on the destination view: the dot overlay of every style,
// painting and erasing driven by real mouse events at several
// zooms and scroll positions, and the brush pointers.
#include "area_tool.h"
#include "brush_cursors.h"
#include "colour_value.h"
#include "dot_placement.h"
#include "dst_view.h"
#include "picture_area.h"
#include "view_fixture.h"

#include <QScrollBar>
#include <QTest>

#include <cmath>
#include <numeric>
#include <set>

using namespace karwen;
using namespace karwen::views;

namespace {

std::set<int> dotsOfClass(int cls)
{
    std::set<int> dots;
    for (int n = 1; n <= kDotCount; ++n)
        if (DotClass[std::size_t(n)] == cls)
            dots.insert(n);
    return dots;
}

int countSum() { return std::accumulate(ClassCount.begin(), ClassCount.end(), 0); }

QRgb rgbOf(uint32_t value) { return colourOf(value).rgb(); }

} // namespace

class TestAreaTool : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        images_ = std::make_unique<test::ImageFixture>();
        InitAreaTables();
        images_->destination(512, 512);
        view_ = test::openView<DstView>();
        QVERIFY(view_);
        tool_ = &view_->areaTool();
        tool_->setLabelHandler([this](const AreaMouseResult& r) { results_.push_back(r); });
        AreaOn = true;
        view_->set_AreaParamXYD();
        results_.clear();
    }

    void cleanup()
    {
        AreaOn = false;
        view_.reset();
        images_.reset();
    }

    void overlayPixelsPerStyle_data()
    {
        QTest::addColumn<int>("style");
        for (int s = 0; s < kToolSizeCount; ++s)
            QTest::addRow("style %d", s) << s;
    }

    void overlayPixelsPerStyle()
    {
        QFETCH(int, style);
        QVERIFY(selectDotStyle(style));
        CurRgn = 1;
        DotClass[1] = 1;   // selected class: drawn red
        DotClass[200] = 2; // another class: its own colour
        view_->pct_update();
        const QImage& canvas = view_->canvas();
        // The destination circle's outline in white, centred at (256, 256).
        QCOMPARE(canvas.pixel(0, 256), qRgb(255, 255, 255));
        QCOMPARE(canvas.pixel(256, 0), qRgb(255, 255, 255));
        QCOMPARE(canvas.pixel(1, 1), qRgb(0, 0, 0));
        const struct {
            int n;
            uint32_t colour;
        } dots[] = {{1, CurRgnColor}, {200, ClassColor[2]}, {600, ClassColor[0]}, {1000, ClassColor[0]}};
        for (const auto& d : dots) {
            const QPoint p = AreaTool::dotPixel(d.n);
            QCOMPARE(canvas.pixel(p), rgbOf(d.colour));
            const int r = style == 0 ? 0 : DotSize;
            QCOMPARE(canvas.pixel(p + QPoint(r, 0)), rgbOf(d.colour));
            QCOMPARE(canvas.pixel(p - QPoint(0, r)), rgbOf(d.colour));
            // Just outside the dot the black picture shows.
            QCOMPARE(canvas.pixel(p + QPoint(r + 1, 0)), qRgb(0, 0, 0));
            QCOMPARE(canvas.pixel(p - QPoint(0, r + 1)), qRgb(0, 0, 0));
        }
    }

    void sameDotUnderSameImagePixel_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<int>("hsb");
        QTest::addColumn<int>("vsb");
        // The placement at every zoom is the dot placement suite's; here the
        // pointer's way from the widget to the dot.
        QTest::newRow("25%") << 0.25f << 0 << 0;
        QTest::newRow("100%") << 1.0f << 0 << 0;
        QTest::newRow("400% at 100,50") << 4.0f << 100 << 50;
        QTest::newRow("800% at 180,200") << 8.0f << 180 << 200;
    }

    void sameDotUnderSameImagePixel()
    {
        QFETCH(float, scale);
        QFETCH(int, hsb);
        QFETCH(int, vsb);
        QVERIFY(selectBrush(0)); // radius 2.4: one dot at a time at every zoom
        // Image positions of the dots, from the pattern at zoom 1 without scroll.
        std::array<float, kDotCount + 1> ix{}, iy{};
        computeDotPositions({DstPrm.Cx, DstPrm.Cy, DstPrm.R}, {1.0f, 0, 0, 0}, ix, iy);

        // The window as large as a picture gets; zooming keeps it.
        view_->resize(kMaxPicture + ImageView::kBarExtent, kMaxPicture + ImageView::kBarExtent);
        view_->set_sc(scale);
        view_->hsb()->setValue(hsb);
        view_->vsb()->setValue(vsb);
        QCOMPARE(view_->viewX0(), view_->hsb()->maximum() > 0 ? hsb : view_->viewX0());
        const ViewMapping m = view_->mapping();
        int tried = 0;
        // Probe dots spread over all rings, each far enough from its neighbours
        // at this zoom that the brush (plus the rounding of the pointer) can
        // reach only it.
        const auto isolated = [&](int n) {
            for (int k = 1; k <= kDotCount; ++k) {
                const double dx = ix[std::size_t(k)] - ix[std::size_t(n)];
                const double dy = iy[std::size_t(k)] - iy[std::size_t(n)];
                if (k != n && std::hypot(dx, dy) * scale < std::sqrt(double(BrushR2)) + 1.0)
                    return false;
            }
            return true;
        };
        for (int n = 1; n <= kDotCount; n += 23) {
            if (!isolated(n))
                continue;
            // Image y is counted upward: the pattern at zoom 1 gives -y.
            const QPointF v = mapToView(m, QPointF(ix[std::size_t(n)], -iy[std::size_t(n)]));
            const QPoint at(int(std::lround(v.x())), int(std::lround(v.y())));
            if (!QRect(QPoint(0, 0), view_->pictureSize()).contains(at))
                continue;
            ++tried;
            resetAreaCounts();
            QTest::mouseClick(pct(), Qt::LeftButton, {}, at);
            QVERIFY2(dotsOfClass(1) == std::set<int>{n}, qPrintable(QStringLiteral("dot %1").arg(n)));
            QCOMPARE(ClassCount[1], int16_t(1));
            QCOMPARE(countSum(), kDotCount);
        }
        QVERIFY(tried >= 2);
    }

    void dragPaintsThenRightDragErases()
    {
        QVERIFY(selectBrush(2));
        CurRgn = 3;
        DotClass[1] = 5; // another user class under the brush stays
        ClassCount[0] = 999;
        ClassCount[5] = 1;
        const QPoint from = viewPointOfDot(1);
        QTest::mousePress(pct(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(pct(), from + QPoint(8 * step, 3 * step));
        QTest::mouseRelease(pct(), Qt::LeftButton, {}, from + QPoint(80, 30));
        const std::set<int> painted = dotsOfClass(3);
        QVERIFY(painted.size() > 10);
        QCOMPARE(DotClass[1], int16_t(5));
        QCOMPARE(int(ClassCount[3]), int(painted.size()));
        QCOMPARE(countSum(), kDotCount);
        QVERIFY(!results_.empty());
        QVERIFY(results_.back().refreshTexts);

        QTest::mousePress(pct(), Qt::RightButton, {}, from);
        QTest::mouseMove(pct(), from + QPoint(40, 15));
        QTest::mouseRelease(pct(), Qt::RightButton, {}, from + QPoint(40, 15));
        const std::set<int> left = dotsOfClass(3);
        QVERIFY(left.size() < painted.size());
        QVERIFY(std::includes(painted.begin(), painted.end(), left.begin(), left.end()));
        QCOMPARE(DotClass[1], int16_t(5));
        QCOMPARE(int(ClassCount[3]), int(left.size()));
        QCOMPARE(countSum(), kDotCount);
    }

    void paintingRedrawsOnlyChangedDots()
    {
        QVERIFY(selectDotStyle(3));
        QVERIFY(selectBrush(1));
        view_->pct_update();
        const QImage before = view_->canvas().copy();
        const QPoint at = viewPointOfDot(20);
        QTest::mouseClick(pct(), Qt::LeftButton, {}, at);
        QVERIFY(!results_.empty());
        const std::vector<int16_t>& changed = results_.back().changedDots;
        QVERIFY(!changed.empty());
        QRegion allowed;
        for (const int16_t n : changed)
            allowed += AreaTool::dotRect(n);
        const QImage& after = view_->canvas();
        int differing = 0;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (after.pixel(x, y) != before.pixel(x, y)) {
                    ++differing;
                    QVERIFY2(allowed.contains(QPoint(x, y)), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                }
        QVERIFY(differing > 0);
        // Each changed dot now shows the selected class's red.
        for (const int16_t n : changed)
            QCOMPARE(after.pixel(AreaTool::dotPixel(n)), rgbOf(CurRgnColor));
    }

    // Left and right come through the drag test; the middle button and both
    // at once must reach the brush as a plain hover.
    void otherButtonsOnlyHover()
    {
        const QPointF at = QPointF(viewPointOfDot(5));
        for (const Qt::MouseButtons buttons :
            {Qt::MouseButtons(Qt::MiddleButton), Qt::LeftButton | Qt::RightButton, Qt::MouseButtons()}) {
            results_.clear();
            QMouseEvent move(QEvent::MouseMove, at, view_->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
            QCoreApplication::sendEvent(pct(), &move);
            QCOMPARE(results_.size(), std::size_t(1));
            QCOMPARE(int(results_.back().action), int(AreaMouseAction::Hover));
        }
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
    }

    void nothingWhileAreaOff()
    {
        AreaOn = false;
        view_->pct_update();
        const QImage before = view_->canvas().copy();
        QTest::mouseClick(pct(), Qt::LeftButton, {}, viewPointOfDot(1));
        QVERIFY(results_.empty());
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
        QCOMPARE(test::changedPixels(before, view_->canvas()), 0);
    }

    void brushCursorPictures_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < kToolSizeCount; ++i)
            QTest::addRow("brush %d", i) << i;
    }

    void brushCursorPictures()
    {
        QFETCH(int, index);
        const QImage image = brushCursorImage(index);
        QCOMPARE(image.width() % 2, 1);
        QCOMPARE(image.width(), image.height());
        const int c = image.width() / 2;
        const double r = std::sqrt(double(BrushR2Tbl[std::size_t(index)]));
        QVERIFY(image.width() >= 2 * r + 2);
        QCOMPARE(image.pixel(c, c), qRgba(0, 0, 0, 255)); // the hot spot
        // The ring lies at the brush radius: opaque there, clear well inside.
        QVERIFY(qAlpha(image.pixel(c + int(std::lround(r)), c)) > 100);
        QVERIFY(qAlpha(image.pixel(c, c - int(std::lround(r)))) > 100);
        if (r > 6)
            QCOMPARE(qAlpha(image.pixel(c + int(r / 2), c)), 0);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(brushCursor(index).hotSpot(), QPoint(c, c));
    }

    void pointerFollowsAreaOn()
    {
        QVERIFY(selectBrush(3));
        tool_->setAreaCursor();
        QVERIFY(pct()->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(pct()->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(pct()->cursor().pixmap().width(), brushCursorImage(3).width());
        QVERIFY(selectBrush(0));
        tool_->setBrushCursor();
        QCOMPARE(pct()->cursor().pixmap().width(), brushCursorImage(0).width());
        AreaOn = false;
        tool_->setAreaCursor();
        QVERIFY(!pct()->testAttribute(Qt::WA_SetCursor));
        // Without the brush pointer in use, a new brush does not show.
        tool_->setBrushCursor();
        QVERIFY(!pct()->testAttribute(Qt::WA_SetCursor));
    }

private:
    [[nodiscard]] QPoint viewPointOfDot(int n) const
    {
        return {int(std::lround(DotX[std::size_t(n)])), int(std::lround(DotY[std::size_t(n)]))};
    }

    [[nodiscard]] QWidget* pct() const { return view_->picture(); }

    std::unique_ptr<test::ImageFixture> images_;
    std::unique_ptr<DstView> view_;
    AreaTool* tool_ = nullptr;
    std::vector<AreaMouseResult> results_;
};

QTEST_MAIN(TestAreaTool)
#include "tst_area_tool.moc"
