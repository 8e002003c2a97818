// Zoom, fit, scroll ranges, centring and captions of a view on its own.
#include "dst_view.h"
#include "picture_area.h"
#include "src_view.h"
#include "view_fixture.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace karwen;
using namespace karwen::views;

class TestImageView : public QObject {
    Q_OBJECT
private slots:
    void smallImageIsCentredBetweenMargins()
    {
        test::ImageFixture images;
        images.source(64, 48);
        SrcView view;
        view.show();
        QVERIFY(view.load());
        // The 2000-twip minimum enlarges the window beyond the image.
        QCOMPARE(view.width(), kMinOuterPixels);
        const QSize picture = view.pictureSize();
        QCOMPARE(picture, QSize(kMinOuterPixels - ImageView::kBarExtent, kMinOuterPixels - ImageView::kBarExtent));
        QCOMPARE(view.hsb()->maximum(), 0);
        QCOMPARE(view.vsb()->maximum(), 0);
        QCOMPARE(view.viewX0(), roundHalfEven((64 - picture.width()) * 0.5));
        QCOMPARE(view.viewY0(), roundHalfEven((48 - picture.height()) * 0.5));
        QVERIFY(view.viewX0() < 0 && view.viewY0() < 0);
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
        test::ImageFixture images;
        images.source(w, h);
        SrcView view;
        view.show();
        QVERIFY(view.load());
        QCOMPARE(view.windowTitle(), QStringLiteral("sky.jpg - Source(%1%)").arg(percent));
        QCOMPARE(view.pictureSize(), picture);
        QCOMPARE(view.hsb()->maximum(), 0);
        QCOMPARE(view.vsb()->maximum(), 0);
        QCOMPARE(view.picture()->canvas().size(), picture);
    }

    void zoomEightScrollsWithinLimit()
    {
        test::ImageFixture images;
        images.source(512, 512);
        SrcView view;
        view.show();
        QVERIFY(view.load());
        view.set_sc(8.0f);
        QCOMPARE(view.windowTitle(), QStringLiteral("sky.jpg - Source(800%)"));
        QCOMPARE(view.pictureSize(), QSize(1024, 1024));
        QCOMPARE(view.hsb()->minimum(), 0);
        QCOMPARE(view.hsb()->maximum(), 384);
        view.hsb()->setValue(100);
        QCOMPARE(view.viewX0(), 100);
        view.set_sc(1.0f); // the range shrinks and the offset follows the clamp
        QCOMPARE(view.hsb()->maximum(), 0);
        QCOMPARE(view.viewX0(), 0);
    }

    void verticalBarTopShowsTopRows()
    {
        test::ImageFixture images;
        images.source(512, 512);
        SrcView view;
        view.show();
        QVERIFY(view.load());
        view.set_sc(4.0f);
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

    void destinationCaption()
    {
        test::ImageFixture images;
        images.destination(512, 512);
        DstView view;
        view.show();
        QVERIFY(view.load());
        QCOMPARE(view.windowTitle(), QStringLiteral("New - Destination(100%)"));
        DstFile = "/out/result.bmp";
        view.set_sc(1.5f);
        QCOMPARE(view.windowTitle(), QStringLiteral("result.bmp - Destination(150%)"));
    }

    void noImageClosesAtLoad()
    {
        test::ImageFixture images;
        auto* view = new SrcView; // deletes itself on close
        QSignalSpy unloaded(view, &ImageView::unloaded);
        view->show();
        QVERIFY(!view->load());
        QCOMPARE(unloaded.count(), 1);
    }
};

QTEST_MAIN(TestImageView)
#include "tst_image_view.moc"
