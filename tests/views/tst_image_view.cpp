// Zoom, fit, scroll ranges, centring and captions of a view on its own.
#include "dst_view.h"
#include "picture_area.h"
#include "src_view.h"
#include "view_fixture.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace karwen;
using namespace karwen::views;

namespace {

// Turns the wheel over the picture at a picture position; true when the view
// took the turn. The picture leaves the wheel to the view, but Qt passes a
// made-up wheel event on to no parent, so it goes to the view directly.
bool wheel(QWidget* picture, QPoint at, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget* view = picture->parentWidget();
    const QPointF where = picture->mapTo(view, QPointF(at));
    QWheelEvent event(
        where, view->mapToGlobal(where), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &event);
    return event.isAccepted();
}

} // namespace

class TestImageView : public QObject {
    Q_OBJECT
private slots:
    void init() { images_ = std::make_unique<test::ImageFixture>(); }
    void cleanup()
    {
        view_.reset();
        images_.reset();
    }

    void smallImageIsCentredBetweenMargins()
    {
        SrcView& view = open(64, 48);
        // The 2000-twip minimum enlarges the window beyond the image.
        QCOMPARE(view.width(), kMinOuterPixels);
        const QSize picture = view.pictureSize();
        QCOMPARE(picture, QSize(117, 117)); // the bars' 17 pixels off 134
        QCOMPARE(view.hsb()->maximum(), 0);
        QCOMPARE(view.vsb()->maximum(), 0);
        // Half the margin on each side: (64 - 117) / 2 and (48 - 117) / 2, to even.
        QCOMPARE(view.viewX0(), -26);
        QCOMPARE(view.viewY0(), -34);
        const QColor background = view.palette().color(QPalette::Window);
        QCOMPARE(view.canvas().pixelColor(0, 0), background);
        QCOMPARE(view.canvas().pixelColor(picture.width() - 1, picture.height() - 1), background);
        QCOMPARE(view.windowTitle(), QStringLiteral("sky.jpg - Source(100%)"));
    }

    void loadZoomBySize_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("3000x2000") << 3000 << 2000 << "25" << QSize(750, 500);
        QTest::newRow("600x400") << 600 << 400 << "50" << QSize(300, 200);
        QTest::newRow("512x512") << 512 << 512 << "100" << QSize(512, 512);
    }

    void loadZoomBySize()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QString, percent);
        QFETCH(QSize, picture);
        SrcView& view = open(w, h);
        QCOMPARE(view.windowTitle(), QStringLiteral("sky.jpg - Source(%1%)").arg(percent));
        QCOMPARE(view.pictureSize(), picture);
        QCOMPARE(view.hsb()->maximum(), 0);
        QCOMPARE(view.vsb()->maximum(), 0);
        QCOMPARE(view.canvas().size(), picture);
    }

    void zoomEightScrollsWithinLimit()
    {
        SrcView& view = openZoomed(8.0f);
        QCOMPARE(view.windowTitle(), QStringLiteral("sky.jpg - Source(800%)"));
        QCOMPARE(view.pictureSize(), QSize(1024, 1024));
        QCOMPARE(view.hsb()->minimum(), 0);
        QCOMPARE(view.hsb()->maximum(), 384);
        view.hsb()->setValue(100);
        QCOMPARE(view.viewX0(), 100);
        view.set_sc(1.0f); // the range shrinks and the image centres in the window
        QCOMPARE(view.hsb()->maximum(), 0);
        QCOMPARE(view.viewX0(), -256);
    }

    void verticalBarTopShowsTopRows()
    {
        SrcView& view = openZoomed(4.0f);
        QScrollBar* vsb = view.vsb();
        QCOMPARE(vsb->maximum(), 512 - 256);
        QVERIFY(vsb->invertedAppearance());
        vsb->setValue(vsb->maximum()); // thumb at the top end
        QCOMPARE(view.viewY0(), 256);
        // Image row 511 (the top row) is in the view's first line.
        QCOMPARE(mapToView(view.mapping(), QPointF(0, 512)).y(), 0.0);
        vsb->setValue(0);
        QCOMPARE(mapToView(view.mapping(), QPointF(0, 0)).y(), double(view.pictureSize().height()));
    }

    void zoomKeepsTheCentreAndCtrlWheelThePointUnderTheMouse()
    {
        SrcView& view = openZoomed(4.0f); // 256 of 512 image pixels visible, point 256,256 in the middle
        QCOMPARE(view.pictureSize(), QSize(1024, 1024));
        QCOMPARE(view.viewX0(), 128);
        QCOMPARE(view.viewY0(), 128);
        // Under picture position 100,200: image point 153, 334.
        QCOMPARE(mapToImage(view.mapping(), QPointF(100, 200)), QPointF(153, 334));
        wheel(view.picture(), {100, 200}, 120, Qt::ControlModifier);
        QCOMPARE(view.viewScale(), 8.0f);
        QCOMPARE(view.viewX0(), 140); // 153 - 100 / 8 = 140.5, to even
        QCOMPARE(view.viewY0(), 231); // 334 - (1024 - 200) / 8
        wheel(view.picture(), {100, 200}, -120, Qt::ControlModifier);
        QCOMPARE(view.viewScale(), 4.0f);
        QCOMPARE(view.viewX0(), 128);
        QCOMPARE(view.viewY0(), 128);
        // At the largest zoom a further turn does nothing.
        view.set_sc(8.0f);
        wheel(view.picture(), {100, 200}, 120, Qt::ControlModifier);
        QCOMPARE(view.viewScale(), 8.0f);
    }

    void wheelScrollsThePicture()
    {
        SrcView& view = openZoomed(4.0f);
        // One notch is 60 picture pixels, 15 image pixels at 400 %; up shows
        // higher rows, Shift and down moves right.
        QVERIFY(wheel(view.picture(), {10, 10}, 120));
        QCOMPARE(view.viewY0(), 143);
        QCOMPARE(view.viewX0(), 128);
        QVERIFY(wheel(view.picture(), {10, 10}, -120, Qt::ShiftModifier));
        QCOMPARE(view.viewX0(), 143);
        // Turned far past the edge, the offset stops at the bar's end.
        for (int n = 0; n < 30; ++n)
            wheel(view.picture(), {10, 10}, 120);
        QCOMPARE(view.viewY0(), 256);
    }

    void fitChoosesTheZoomThatFitsTheWindow()
    {
        SrcView& view = open(2000, 1000);
        QCOMPARE(view.pictureSize(), QSize(500, 250));
        view.set_sc(1.0f);
        QVERIFY(view.hsb()->maximum() > 0);
        view.resize(400 + ImageView::kBarExtent, 300 + ImageView::kBarExtent);
        view.fitToWindow();
        QCOMPARE(view.viewScale(), 0.2f);
        QCOMPARE(view.pictureSize(), QSize(400, 300)); // the window stays
        QCOMPARE(view.hsb()->maximum(), 0);
        QCOMPARE(view.vsb()->maximum(), 0);
    }

    void destinationCaption()
    {
        images_->destination(512, 512);
        const auto shown = test::openView<DstView>();
        QVERIFY(shown);
        DstView& view = *shown;
        QCOMPARE(view.windowTitle(), QStringLiteral("New - Destination(100%)"));
        DstFile = "/out/result.bmp";
        view.set_sc(1.5f);
        QCOMPARE(view.windowTitle(), QStringLiteral("result.bmp - Destination(150%)"));
    }

    void noImageClosesAtLoad()
    {
        auto* view = new SrcView; // deletes itself on close
        QSignalSpy unloaded(view, &ImageView::unloaded);
        view->show();
        QVERIFY(!view->load());
        QCOMPARE(unloaded.count(), 1);
    }

private:
    // A source view of a w x h image at the zoom chosen at load; the test
    // fails when it does not load.
    SrcView& open(int w, int h)
    {
        images_->source(w, h);
        view_ = test::openView<SrcView>();
        if (!view_)
            qFatal("the source view did not load");
        return *view_;
    }

    // A 512 x 512 source in a window as large as a picture gets, which
    // zooming keeps, at this zoom.
    SrcView& openZoomed(float scale)
    {
        SrcView& view = open(512, 512);
        view.resize(1024 + ImageView::kBarExtent, 1024 + ImageView::kBarExtent);
        view.set_sc(scale);
        return view;
    }

    std::unique_ptr<test::ImageFixture> images_;
    std::unique_ptr<SrcView> view_;
};

QTEST_MAIN(TestImageView)
#include "tst_image_view.moc"
