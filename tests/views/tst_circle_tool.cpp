// The source marks and the five drags, driven by real mouse events.
#include "picture_area.h"
#include "src_view.h"
#include "view_fixture.h"
#include "window_hooks.h"

#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <functional>

using namespace karwen;
using namespace karwen::views;

namespace {

// Counts what the end of a drag asks of the windows.
class CountingHooks : public WindowHooks {
public:
    int fieldRefreshes = 0;
    int dstRedraws = 0;
    void refreshParameterFields() override { ++fieldRefreshes; }
    void redrawDstView() override { ++dstRedraws; }
};

void send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
    Qt::KeyboardModifiers mods)
{
    QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, mods);
    QCoreApplication::sendEvent(w, &event);
}

void drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier, bool viaMiddle = true)
{
    send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
    if (viaMiddle)
        send(w, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, mods);
    send(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, mods);
    send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, mods);
}

} // namespace

class TestCircleTool : public QObject {
    Q_OBJECT
private slots:
    // A 400 x 300 source at zoom 1: view y = 300 - image y.
    void init()
    {
        images_ = std::make_unique<test::ImageFixture>();
        images_->source(400, 300);
        SrcPrm.Cx = 200;
        SrcPrm.Cy = 150;
        SrcPrm.R = 100;
        SrcPrm.Rot = 0;
        SrcPrm.Proj = kEquidistant;
        RefX = 300;
        RefY = 150;
        hooks_ = CountingHooks();
        setWindowHooks(&hooks_);
        view_ = test::openView<SrcView>();
        QVERIFY(view_);
        QCOMPARE(view_->pictureSize(), QSize(400, 300));
    }

    void cleanup()
    {
        view_.reset();
        setWindowHooks(nullptr);
        images_.reset();
    }

    void marksTwiceRestoreCanvas()
    {
        QImage& canvas = view_->canvas();
        test::fillPattern(canvas);
        const QImage before = canvas.copy();
        view_->circleTool().draw_marks();
        QVERIFY(test::changedPixels(before, canvas) > 300); // circle, dotted cross, reference mark
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (canvas.pixel(x, y) != before.pixel(x, y))
                    QCOMPARE(canvas.pixel(x, y), before.pixel(x, y) ^ 0x00ffffffu); // inverted, alpha kept
        view_->circleTool().draw_marks();
        QCOMPARE(test::changedPixels(before, canvas), 0);
    }

    // Which handle a press takes; with a compass (N above the centre, at
    // 200,38), the N too, never the other letters.
    void pressGrabs_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<bool>("compass");
        QTest::addColumn<int>("mode");
        QTest::newRow("3 px from centre") << QPoint(203, 150) << false << false << int(CircleTool::Centre);
        QTest::newRow("exactly 4 px from centre") << QPoint(204, 150) << false << false << int(CircleTool::None);
        QTest::newRow("on the rim") << QPoint(200, 253) << false << false << int(CircleTool::Radius);
        QTest::newRow("4 px off the rim") << QPoint(200, 254) << false << false << int(CircleTool::None);
        QTest::newRow("shift: centre not taken") << QPoint(200, 150) << true << false << int(CircleTool::None);
        QTest::newRow("shift: reference mark") << QPoint(302, 150) << true << false << int(CircleTool::Reference);
        QTest::newRow("shift: rim is tilt") << QPoint(200, 250) << true << false << int(CircleTool::Tilt);
        QTest::newRow("plain press on reference is rim")
            << QPoint(300, 151) << false << false << int(CircleTool::Radius);
        QTest::newRow("on the N") << QPoint(200, 38) << false << true << int(CircleTool::North);
        QTest::newRow("5 px from it") << QPoint(205, 38) << false << true << int(CircleTool::North);
        QTest::newRow("with Shift") << QPoint(200, 42) << true << true << int(CircleTool::North);
        QTest::newRow("exactly 6 px from it") << QPoint(200, 32) << false << true << int(CircleTool::None);
        QTest::newRow("7 px from it") << QPoint(207, 38) << false << true << int(CircleTool::None);
        QTest::newRow("the E is no handle") << QPoint(88, 150) << false << true << int(CircleTool::None);
        QTest::newRow("the rim below the N") << QPoint(200, 51) << false << true << int(CircleTool::Radius);
        QTest::newRow("no compass, no N") << QPoint(200, 38) << false << false << int(CircleTool::None);
    }

    void pressGrabs()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, shift);
        QFETCH(bool, compass);
        QFETCH(int, mode);
        if (compass)
            setNorthUp({});
        send(view_->picture(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton,
            shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(int(view_->circleTool().dragMode()), mode);
        QCOMPARE(view_->picture()->cursor().shape(), mode ? Qt::SizeAllCursor : Qt::ArrowCursor);
        QCOMPARE(bool(view_->circleTool().compassMark(kNorth)), compass);
    }

    void centreDragStoresHundredths()
    {
        drag(view_->picture(), {202, 151}, {222, 141});
        QCOMPARE(SrcPrm.Cx, 222.0);
        QCOMPARE(SrcPrm.Cy, 159.0);
        QCOMPARE(SrcPrm.R, 100.0);
        QCOMPARE(hooks_.fieldRefreshes, 1);
        QCOMPARE(hooks_.dstRedraws, 1);
        QCOMPARE(view_->circleTool().dragMode(), int16_t(CircleTool::None));
    }

    void radiusDragAndMinimum()
    {
        drag(view_->picture(), {200, 250}, {200, 271});
        QCOMPARE(SrcPrm.R, 121.0);
        // Dragged into the centre: radii of 10 pixels or less are ignored.
        drag(view_->picture(), {200, 271}, {200, 155}, Qt::NoModifier, false);
        QCOMPARE(SrcPrm.R, 121.0);
        QCOMPARE(hooks_.dstRedraws, 1);
    }

    void referenceDragRecomputesAngles()
    {
        ref2angle();
        const double alphaBefore = SrcPrm.Alpha;
        drag(view_->picture(), {300, 150}, {250, 100}, Qt::ShiftModifier);
        QCOMPARE(RefX, 250.0f);
        QCOMPARE(RefY, 200.0f);
        QVERIFY(SrcPrm.Alpha != alphaBefore);
        QVERIFY(SrcPrm.Beta > 0); // above the centre on the image
        QCOMPARE(hooks_.dstRedraws, 1);
    }

    void tiltWrapsAt180()
    {
        SrcPrm.Rot = 170;
        view_->pct_update();
        // The tilt handle straight below the centre (the cross's lower end
        // turned by 170 degrees) is taken on the rim at angle 0.
        const QPoint start(200, 250);
        const QPoint end(234, 244);
        drag(view_->picture(), start, end, Qt::ShiftModifier);
        const float da = static_cast<float>(std::atan2(34.0, 94.0));
        const double t = roundHalfEven(da * 100.0f / static_cast<float>(kDegToRad)) * 0.01;
        QVERIFY(t > 19 && t < 21);
        QVERIFY(qAbs(SrcPrm.Rot - (170 + t - 360)) < 1e-9);
    }

    void dragAfterZoomAndWheelScrollTakesTheShownPoint()
    {
        // At 400 % the centre 200,150 stays in the middle of the 1024-pixel
        // picture: offsets 72 and 22; a notch up and one to the right scroll
        // 15 image pixels each, so the centre shows at 452, 572; let go at
        // 472, 552 it lands on image point 87 + 472 / 4, 37 + (1024 - 552) / 4.
        // The window as large as a picture gets; zooming keeps it.
        view_->resize(kMaxPicture + ImageView::kBarExtent, kMaxPicture + ImageView::kBarExtent);
        view_->set_sc(4.0f);
        QCOMPARE(view_->pictureSize(), QSize(1024, 1024));
        for (const Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
            const int delta = mods ? -120 : 120;
            QWheelEvent turn(QPointF(5, 5), view_->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                mods, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view_.get(), &turn);
        }
        QCOMPARE(view_->viewX0(), 87);
        QCOMPARE(view_->viewY0(), 37);
        drag(view_->picture(), {453, 572}, {472, 552}); // the centre goes where it is let go
        QCOMPARE(SrcPrm.Cx, 205.0);
        QCOMPARE(SrcPrm.Cy, 155.0);
        QCOMPARE(hooks_.dstRedraws, 1);
    }

    void compassStandsOutsideTheRim()
    {
        setNorthUp({});
        const CircleTool& tool = view_->circleTool();
        // 100 px up from the centre at 150, and 12 more.
        QCOMPARE(*tool.compassMark(kNorth), QPointF(200, 38));
        QCOMPARE(*tool.compassMark(kEast), QPointF(88, 150));
        QCOMPARE(*tool.compassMark(kWest), QPointF(312, 150));
        QImage& canvas = view_->canvas();
        test::fillPattern(canvas);
        const QImage before = canvas.copy();
        view_->circleTool().draw_marks();
        const auto changedNear = [&](QPointF at) {
            return test::changedPixels(before.copy(QRectF(at - QPointF(7, 7), QSizeF(14, 14)).toRect()),
                canvas.copy(QRectF(at - QPointF(7, 7), QSizeF(14, 14)).toRect()));
        };
        QVERIFY(changedNear({200, 38}) > 15); // the N itself
        QVERIFY(changedNear({200, 262}) > 15);
        view_->circleTool().draw_marks();
        QCOMPARE(test::changedPixels(before, canvas), 0);
    }

    // Dragged a quarter turn clockwise on the screen, the N lands on the
    // image's x axis: photo angle 0. Nothing of the conversion runs.
    void northDragTellsThePhotoAngle()
    {
        QList<double> drops;
        setNorthUp([&](double angle) {
            drops << angle;
            return true;
        });
        drag(view_->picture(), {200, 38}, {301, 150});
        QCOMPARE(drops.size(), 1);
        QVERIFY2(qAbs(drops[0]) < 1e-9, qPrintable(QString::number(drops[0])));
        QCOMPARE(view_->circleTool().dragMode(), int16_t(CircleTool::None));
        QCOMPARE(hooks_.dstRedraws, 0);
        QCOMPARE(SrcPrm.Rot, 0.0);
        // A click on the N that does not move it tells nothing.
        drag(view_->picture(), {200, 38}, {200, 38});
        QCOMPARE(drops.size(), 1);
    }

    void refusedNorthDropPutsTheMarksBack()
    {
        setNorthUp([](double) { return false; });
        const QImage before = view_->canvas().copy();
        send(view_->picture(), QEvent::MouseButtonPress, {200, 38}, Qt::LeftButton, Qt::LeftButton, {});
        send(view_->picture(), QEvent::MouseMove, {150, 60}, Qt::NoButton, Qt::LeftButton, {});
        QVERIFY(test::changedPixels(before, view_->canvas()) > 30); // the letters moved
        QVERIFY(view_->circleTool().compassMark(kNorth)->x() < 190.0);
        send(view_->picture(), QEvent::MouseButtonRelease, {150, 60}, Qt::LeftButton, Qt::NoButton, {});
        QCOMPARE(test::changedPixels(before, view_->canvas()), 0);
        QCOMPARE(*view_->circleTool().compassMark(kNorth), QPointF(200, 38));
    }

    void releaseWithoutChangeRunsNothing()
    {
        // A click on the centre and a tilt that ends where it began.
        send(view_->picture(), QEvent::MouseButtonPress, {201, 150}, Qt::LeftButton, Qt::LeftButton, {});
        send(view_->picture(), QEvent::MouseButtonRelease, {201, 150}, Qt::LeftButton, Qt::NoButton, {});
        drag(view_->picture(), {200, 250}, {200, 250}, Qt::ShiftModifier);
        QCOMPARE(SrcPrm.Cx, 200.0);
        QCOMPARE(SrcPrm.Rot, 0.0);
        QCOMPARE(hooks_.dstRedraws, 0);
        QCOMPARE(hooks_.fieldRefreshes, 0);
    }

private:
    // N straight above the centre on the image, E on its left, S below,
    // W on its right (a photo taken looking up with north at its top).
    void setNorthUp(std::function<bool(double)> drop)
    {
        view_->circleTool().setCompass({QPointF(200, 250), QPointF(100, 150), QPointF(200, 50), QPointF(300, 150)});
        view_->circleTool().setNorthDrop(std::move(drop));
        view_->pct_update();
    }

    std::unique_ptr<test::ImageFixture> images_;
    std::unique_ptr<SrcView> view_;
    CountingHooks hooks_;
};

QTEST_MAIN(TestCircleTool)
#include "tst_circle_tool.moc"
