// frmArea in the running program: the enabled state, switching measurement
// on and off, the tool choices, and the class labels following painting and
// hovering with the real mouse on the destination view.
#include "area_app_fixture.h"
#include "colour_value.h"

using namespace karwen;
using namespace Qt::StringLiterals;

namespace {

QColor textColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }
QColor backColour(const QLabel* label) { return label->palette().color(QPalette::Window); }
QColor classColour(int k) { return views::colourOf(ClassColor[std::size_t(k)]); }

} // namespace

class TestAreaPanel : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;

    // The disc opened, measurement on, and the given brush.
    void openMeasuring(int brush)
    {
        QVERIFY(app_->open(test::writeDiscImage(dir_, u"disc.bmp"_s)));
        app_->panel().chkAreaMeasure()->click();
        app_->panel().optBrush(brush)->click();
    }

private slots:
    void init() { app_ = std::make_unique<test::AreaApp>(); }
    void cleanup() { app_.reset(); }

    void disabledUntilAnImageOpens()
    {
        QWidget* frame = app_->panel().parentWidget();
        QVERIFY(!frame->isEnabled());
        QVERIFY(app_->open(test::writeDiscImage(dir_, u"disc.bmp"_s)));
        QVERIFY(frame->isEnabled());
        // Every label reads in its class colour, class 0 (white) included.
        for (int k = 0; k < kAreaClassCount; ++k)
            QCOMPARE(textColour(app_->panel().lblcs(k)), classColour(k));
        app_->menu("mnuFileClose");
        QVERIFY(!frame->isEnabled());
    }

    void areaSwitchPlacesAndHidesDots()
    {
        QVERIFY(app_->open(test::writeDiscImage(dir_, u"disc.bmp"_s)));
        const QImage plain = app_->dst()->canvas().copy();
        app_->panel().chkAreaMeasure()->click();
        QVERIFY(AreaOn);
        // Dot 1 sits on the circle centre, drawn in class 0's white.
        const QPointF centre = views::mapToView(app_->dst()->mapping(), {DstPrm.Cx, DstPrm.Cy});
        QCOMPARE(QPointF(DotX[1], DotY[1]), centre);
        QCOMPARE(app_->dst()->canvas().pixel(test::AreaApp::at(1)), qRgb(255, 255, 255));
        QVERIFY(app_->pct()->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(app_->pct()->cursor().shape(), Qt::BitmapCursor);

        app_->panel().chkAreaMeasure()->click();
        QVERIFY(!AreaOn);
        QVERIFY(!app_->pct()->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(app_->dst()->canvas(), plain);
    }

    void dotAndBrushChoices()
    {
        openMeasuring(1);
        app_->panel().optDot(0)->click();
        QCOMPARE(DotHit2, 0);
        app_->panel().optDot(3)->click();
        QCOMPARE(DotHit2, 64);
        // The redraw shows dots of radius 4.
        QCOMPARE(app_->dst()->canvas().pixel(test::AreaApp::at(1) + QPoint(4, 0)), qRgb(255, 255, 255));
        const int before = app_->pct()->cursor().pixmap().width();
        app_->panel().optBrush(3)->click();
        QCOMPARE(BrushR2, 1500);
        QVERIFY(app_->pct()->cursor().pixmap().width() > before);
    }

    void paintEraseAndResetRewriteLabels()
    {
        openMeasuring(3);
        const auto click
            = [&](Qt::MouseButton button) { QTest::mouseClick(app_->pct(), button, {}, test::AreaApp::at(1)); };
        click(Qt::LeftButton);
        QVERIFY(ClassCount[1] > 10);
        QCOMPARE(ClassCount[0] + ClassCount[1], int16_t(kDotCount));
        for (int k : {0, 1})
            QCOMPARE(app_->labelText(k), QString::fromStdString(ClassPercentText(ClassCount[std::size_t(k)])));
        click(Qt::RightButton);
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
        QCOMPARE(app_->labelText(1), u"  0.0%"_s);
        QCOMPARE(app_->labelText(0), u"100.0%"_s);

        click(Qt::LeftButton);
        QVERIFY(ClassCount[1] > 0);
        app_->dialogs.answers = {true}; // discard the painted dots
        app_->press("cmdReset");
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
        QCOMPARE(DotClass[1], int16_t(0));
        QCOMPARE(app_->labelText(0), u"100.0%"_s);
        for (int k = 1; k < kAreaClassCount; ++k)
            QCOMPARE(app_->labelText(k), u"  0.0%"_s);
        QCOMPARE(app_->dst()->canvas().pixel(test::AreaApp::at(1)), qRgb(255, 255, 255));
    }

    void hoverHighlightsLabelAndClassChoiceRedraws()
    {
        openMeasuring(0);
        const QPoint p = test::AreaApp::at(1);
        QTest::mouseClick(app_->pct(), Qt::LeftButton, {}, p);
        QCOMPARE(DotClass[1], int16_t(1));
        QCOMPARE(app_->dst()->canvas().pixel(p), views::colourOf(CurRgnColor).rgb());
        const QColor strip = backColour(app_->panel().lblcs(2)); // light colours share one strip
        QLabel* one = app_->panel().lblcs(1);
        QTest::mouseMove(app_->pct(), p + QPoint(1, 1));
        QCOMPARE(LastLbl, int16_t(1));
        QCOMPARE(backColour(one), classColour(1));
        QCOMPARE(textColour(one), strip);
        // Onto a class 0 dot: label 1 back, label 0 highlighted.
        QTest::mouseMove(app_->pct(), test::AreaApp::at(900));
        QCOMPARE(LastLbl, int16_t(0));
        QCOMPARE(backColour(one), strip);
        QCOMPARE(textColour(one), classColour(1));
        QCOMPARE(backColour(app_->panel().lblcs(0)), classColour(0));
        // Off every dot: restored, label 0 now in its class colour.
        QTest::mouseMove(app_->pct(), QPoint(1, 1));
        QCOMPARE(LastLbl, int16_t(-1));
        QCOMPARE(textColour(app_->panel().lblcs(0)), classColour(0));

        app_->panel().optRgn(2)->click();
        QCOMPARE(CurRgn, int16_t(2));
        // Dot 1 stays in class 1, now drawn in that class's colour.
        QCOMPARE(app_->dst()->canvas().pixel(p), classColour(1).rgb());
    }

    void enterAppliesParameters()
    {
        QVERIFY(app_->open(test::writeDiscImage(dir_, u"disc.bmp"_s)));
        app_->app.windows().frmFormat().field(Field::DstCx)->setText(u"200.00"_s);
        QTest::keyRelease(app_->panel().optDot(2), Qt::Key_A);
        QCOMPARE(DstPrm.Cx, 256.0);
        QTest::keyRelease(app_->panel().optDot(2), Qt::Key_Return);
        QCOMPARE(DstPrm.Cx, 200.0);
    }
};

QTEST_MAIN(TestAreaPanel)
#include "tst_area_panel.moc"
