// frmArea in the running program: its controls and place, the enabled
// state, switching measurement on and off, the tool choices, and the class
// labels following painting and hovering with the real mouse on the
// destination view.
#include "area_app_fixture.h"
#include "colour_value.h"
#include "format_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace karwen;

namespace {

QRect twips(int x, int y, int w, int h) { return {x / 15, y / 15, w / 15, h / 15}; }

QColor textColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }
QColor backColour(const QLabel* label) { return label->palette().color(QPalette::Window); }

} // namespace

class TestAreaPanel : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        disc_ = test::writeDiscImage(dir_, QStringLiteral("disc.bmp"));
        QVERIFY(!disc_.isEmpty());
    }

    // Every control's caption and place; where the panel stands is the main
    // window suite's.
    void controlsAndPlace()
    {
        test::AreaApp app;
        ui::AreaPanel& panel = app.panel();
        QCOMPARE(panel.windowTitle(), QStringLiteral("Area"));
        QCOMPARE(panel.size(), QSize(144, 244));
        struct Control {
            QString name;
            const char* caption;
            int x, y, w, h;
        };
        QList<Control> controls{
            {"chkAreaMeasure", "Area", 120, 0, 720, 255},
            {"cmdReset", "reset", 1200, 0, 855, 255},
            {"frm(1)", "Dot", 0, 240, 2160, 495},
            {"frm(0)", "Brush", 0, 720, 2160, 495},
            {"frm(2)", "Area", 0, 1200, 2160, 2175},
            {"cmdLog", "Log", 0, 3400, 1515, 255},
            {"cmdClear", "Clear", 1560, 3400, 615, 255},
        };
        const char* const sizes[] = {"S", "M", "L", "H"};
        const int x[] = {150, 615, 1095, 1560};
        for (int i = 0; i < 4; ++i)
            for (const char* row : {"optDot(%1)", "optBrush(%1)"})
                controls.append({QString::fromLatin1(row).arg(i), sizes[i], x[i], 240, 450, 210});
        for (const Control& c : controls) {
            QWidget* control = panel.findChild<QWidget*>(c.name);
            QVERIFY2(control, qPrintable(c.name));
            QCOMPARE(control->geometry(), twips(c.x, c.y, c.w, c.h));
            const auto* box = qobject_cast<QGroupBox*>(control);
            QCOMPARE(box ? box->title() : control->property("text").toString(), QLatin1String(c.caption));
        }
    }

    void classRowsAndTooltips()
    {
        test::AreaApp app;
        ui::AreaPanel& panel = app.panel();
        QVERIFY(!panel.optRgn(0));
        QCOMPARE(panel.lblcs(0)->toolTip(), QStringLiteral("No.0(remained dots)"));
        QCOMPARE(panel.lblcs(0)->text(), QStringLiteral("100.0%"));
        for (int k = 1; k < kAreaClassCount; ++k) {
            QCOMPARE(panel.lblcs(k)->toolTip(), QStringLiteral("No.%1").arg(k));
            QCOMPARE(panel.lblcs(k)->text(), QStringLiteral("0.0%"));
            const int top = (240 + 240 * (k / 2)) / 15;
            QCOMPARE(panel.optRgn(k)->geometry(), twips(k % 2 ? 1080 : 120, 240 + 240 * (k / 2), 255, 180));
            QCOMPARE(panel.lblcs(k)->x(), (k % 2 ? 1320 : 360) / 15);
            QVERIFY(qAbs(panel.lblcs(k)->y() - top) <= 1);
        }
        // Loading chose the start settings M, M and class 1.
        QVERIFY(panel.optDot(1)->isChecked());
        QVERIFY(panel.optBrush(1)->isChecked());
        QVERIFY(panel.optRgn(1)->isChecked());
        QCOMPARE(DotHit2, 4);
        QCOMPARE(BrushR2, 75);
        QVERIFY(!panel.loading());
        QVERIFY(!panel.chkAreaMeasure()->isChecked());
    }

    void disabledUntilAnImageOpens()
    {
        test::AreaApp app;
        QWidget* frame = app.panel().parentWidget();
        QVERIFY(!frame->isEnabled());
        QVERIFY(app.open(disc_));
        QVERIFY(frame->isEnabled());
        // Every label reads in its class colour, class 0 (white) included.
        for (int k = 0; k < kAreaClassCount; ++k)
            QCOMPARE(textColour(app.panel().lblcs(k)), views::colourOf(ClassColor[std::size_t(k)]));
        app.menu("mnuFileClose");
        QVERIFY(!frame->isEnabled());
    }

    void areaSwitchPlacesAndHidesDots()
    {
        test::AreaApp app;
        QVERIFY(app.open(disc_));
        const QImage plain = app.dst()->canvas().copy();
        app.panel().chkAreaMeasure()->click();
        QVERIFY(AreaOn);
        // Dot 1 sits on the circle centre, drawn in class 0's white.
        const QPointF centre = views::mapToView(app.dst()->mapping(), {DstPrm.Cx, DstPrm.Cy});
        QCOMPARE(QPointF(DotX[1], DotY[1]), centre);
        QCOMPARE(app.dst()->canvas().pixel(test::AreaApp::at(1)), qRgb(255, 255, 255));
        QVERIFY(app.pct()->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(app.pct()->cursor().shape(), Qt::BitmapCursor);

        app.panel().chkAreaMeasure()->click();
        QVERIFY(!AreaOn);
        QVERIFY(!app.pct()->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(app.dst()->canvas(), plain);
    }

    void dotAndBrushChoices()
    {
        test::AreaApp app;
        QVERIFY(app.open(disc_));
        app.panel().chkAreaMeasure()->click();
        app.panel().optDot(0)->click();
        QCOMPARE(DotHit2, 0);
        app.panel().optDot(3)->click();
        QCOMPARE(DotHit2, 64);
        // The redraw shows dots of radius 4.
        const QPoint p = test::AreaApp::at(1);
        QCOMPARE(app.dst()->canvas().pixel(p + QPoint(4, 0)), qRgb(255, 255, 255));
        const int before = app.pct()->cursor().pixmap().width();
        app.panel().optBrush(3)->click();
        QCOMPARE(BrushR2, 1500);
        QVERIFY(app.pct()->cursor().pixmap().width() > before);
    }

    void paintEraseAndResetRewriteLabels()
    {
        test::AreaApp app;
        QVERIFY(app.open(disc_));
        app.panel().chkAreaMeasure()->click();
        app.panel().optBrush(3)->click();
        QTest::mouseClick(app.pct(), Qt::LeftButton, {}, test::AreaApp::at(1));
        QVERIFY(ClassCount[1] > 10);
        QCOMPARE(ClassCount[0] + ClassCount[1], int16_t(kDotCount));
        QCOMPARE(app.labelText(1), QString::fromStdString(ClassPercentText(ClassCount[1])));
        QCOMPARE(app.labelText(0), QString::fromStdString(ClassPercentText(ClassCount[0])));
        QTest::mouseClick(app.pct(), Qt::RightButton, {}, test::AreaApp::at(1));
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
        QCOMPARE(app.labelText(1), QStringLiteral("  0.0%"));
        QCOMPARE(app.labelText(0), QStringLiteral("100.0%"));

        QTest::mouseClick(app.pct(), Qt::LeftButton, {}, test::AreaApp::at(1));
        QVERIFY(ClassCount[1] > 0);
        app.dialogs.answers = {true}; // discard the painted dots
        app.panel().findChild<QPushButton*>(QStringLiteral("cmdReset"))->click();
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
        QCOMPARE(DotClass[1], int16_t(0));
        QCOMPARE(app.labelText(0), QStringLiteral("100.0%"));
        for (int k = 1; k < kAreaClassCount; ++k)
            QCOMPARE(app.labelText(k), QStringLiteral("  0.0%"));
        QCOMPARE(app.dst()->canvas().pixel(test::AreaApp::at(1)), qRgb(255, 255, 255));
    }

    void hoverHighlightsLabelAndClassChoiceRedraws()
    {
        test::AreaApp app;
        QVERIFY(app.open(disc_));
        app.panel().chkAreaMeasure()->click();
        app.panel().optBrush(0)->click();
        const QPoint p = test::AreaApp::at(1);
        QTest::mouseClick(app.pct(), Qt::LeftButton, {}, p);
        QCOMPARE(DotClass[1], int16_t(1));
        QCOMPARE(app.dst()->canvas().pixel(p), views::colourOf(CurRgnColor).rgb());
        const QColor strip = backColour(app.panel().lblcs(2)); // light colours share one strip
        QLabel* one = app.panel().lblcs(1);
        QTest::mouseMove(app.pct(), p + QPoint(1, 1));
        QCOMPARE(LastLbl, int16_t(1));
        QCOMPARE(backColour(one), views::colourOf(ClassColor[1]));
        QCOMPARE(textColour(one), strip);
        // Onto a class 0 dot: label 1 back, label 0 highlighted.
        QTest::mouseMove(app.pct(), test::AreaApp::at(900));
        QCOMPARE(LastLbl, int16_t(0));
        QCOMPARE(backColour(one), strip);
        QCOMPARE(textColour(one), views::colourOf(ClassColor[1]));
        QCOMPARE(backColour(app.panel().lblcs(0)), views::colourOf(ClassColor[0]));
        // Off every dot: restored, label 0 now in its class colour.
        QTest::mouseMove(app.pct(), QPoint(1, 1));
        QCOMPARE(LastLbl, int16_t(-1));
        QCOMPARE(textColour(app.panel().lblcs(0)), views::colourOf(ClassColor[0]));

        app.panel().optRgn(2)->click();
        QCOMPARE(CurRgn, int16_t(2));
        // Dot 1 stays in class 1, now drawn in that class's colour.
        QCOMPARE(app.dst()->canvas().pixel(p), views::colourOf(ClassColor[1]).rgb());
    }

    void enterAppliesParameters()
    {
        test::AreaApp app;
        QVERIFY(app.open(disc_));
        QLineEdit* cx = app.app.windows().frmFormat().field(Field::DstCx);
        cx->setText(QStringLiteral("200.00"));
        QTest::keyRelease(app.panel().optDot(2), Qt::Key_A);
        QCOMPARE(DstPrm.Cx, 256.0);
        QTest::keyRelease(app.panel().optDot(2), Qt::Key_Return);
        QCOMPARE(DstPrm.Cx, 200.0);
    }

private:
    QTemporaryDir dir_;
    QString disc_;
};

QTEST_MAIN(TestAreaPanel)
#include "tst_area_panel.moc"
