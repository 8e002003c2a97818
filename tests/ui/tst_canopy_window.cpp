// frmCanopy in the running program on the sample photo: the figures it
// shows against the library's own for the same settings, "Classify dots"
// and its question, the dot figures waiting for classified dots and then
// following the brush, the CSV export and its refusal of a foreign file, the
// circle measured through (the found one while the source circle is the
// automatic one) and a photo without a circle, a damaged photo and one
// without a threshold, and the command line's dots standing in.
#include "area_app_fixture.h"
#include "canopy_figure_table.h"
#include "canopy_settings_form.h"
#include "colour_value.h"
#include "dot_gaps.h"
#include "dots_view.h"
#include "parameter_fields.h"
#include "parameter_form.h"
#include "pixel_view.h"

#include <algorithm>

using namespace karwen;
using namespace Qt::StringLiterals;
using canopy::CanopySettings;
using test::throughFoundCircle;
using Column = ui::CanopyFigureTable::Column;

Q_DECLARE_METATYPE(karwen::canopy::CanopySettings)

namespace {

const QString kDash = u"\u2013"_s;

QString fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

} // namespace

class TestCanopyWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        app_ = std::make_unique<test::AreaApp>();
    }
    void cleanup() { app_.reset(); }

    void figuresAreTheLibrarys_data()
    {
        QTest::addColumn<CanopySettings>("settings");
        QTest::newRow("start settings") << CanopySettings{};
        QTest::newRow("luma, Ridler, finer bins")
            << CanopySettings{canopy::Channel::Luma, 1.0, canopy::ThresholdMethod::Ridler, 127, 9, 60.0, 12};
        QTest::newRow("Minimum") << CanopySettings{.method = canopy::ThresholdMethod::Minimum};
        QTest::newRow("edge detection, luma")
            << CanopySettings{.channel = canopy::Channel::Luma, .method = canopy::ThresholdMethod::Edge};
        QTest::newRow("fixed threshold, one sector")
            << CanopySettings{canopy::Channel::Blue, 1.5, canopy::ThresholdMethod::Fixed, 160, 18, 90.0, 1};
    }
    void figuresAreTheLibrarys()
    {
        QFETCH(CanopySettings, settings);
        ui::CanopyWindow& canopy = app_->openCanopy();
        ui::CanopySettingsForm& form = canopy.form();
        form.cmbChannel()->setCurrentIndex(int(settings.channel));
        form.cmbMethod()->setCurrentIndex(int(settings.method));
        form.txtThreshold()->setValue(settings.fixedThreshold);
        form.txtGamma()->setValue(settings.gamma);
        form.txtRings()->setValue(settings.rings);
        form.txtMaxZenith()->setValue(settings.maxZenithDeg);
        form.txtSectors()->setValue(settings.sectors);
        const canopy::PixelFigures direct
            = canopy::measurePixels(*canopy::pixelViewOf(hSrc), throughFoundCircle(), nullptr, settings);
        QCOMPARE(direct.status, canopy::PixelStatus::Ok);
        if (settings.method == canopy::ThresholdMethod::Fixed)
            QCOMPARE(direct.threshold, settings.fixedThreshold);

        const ui::CanopyFigureTable& table = canopy.table();
        const auto pixels = [&](const QString& name) { return table.text(name, Column::kPixels); };
        QCOMPARE(pixels(u"threshold"_s), QString::number(direct.threshold));
        QCOMPARE(pixels(u"openness"_s), fixed(direct.openness, 3));
        QCOMPARE(pixels(u"DIFN"_s), fixed(direct.difn, 3));
        QCOMPARE(
            pixels(u"Le"_s), direct.leBound ? u"at least "_s + fixed(direct.leBound->atLeast, 2) : fixed(direct.le, 2));
        // A sector without sky makes L a bound.
        QCOMPARE(
            pixels(u"L"_s), direct.lBound ? u"at least "_s + fixed(direct.lBound->atLeast, 2) : fixed(direct.l, 2));
        QCOMPARE(pixels(u"gf %1"_s.arg(settings.rings)), fixed(direct.ringGap.back(), 3));
        QVERIFY(pixels(u"gf %1"_s.arg(settings.rings + 1)).isEmpty()); // no row beyond the last ring
        QCOMPARE(canopy.tracker().pixels()->sectorGap, direct.sectorGap);
    }

    // The form's ranges are the library's to the form's resolution: every
    // control at either end gives valid settings, one step further not.
    void formRangesAreTheLibrarys()
    {
        const ui::CanopySettingsForm form;
        const struct {
            QAbstractSpinBox* box;
            double step;
            void (*set)(CanopySettings&, double);
        } controls[] = {
            {form.txtThreshold(), 1.0, [](CanopySettings& s, double v) { s.fixedThreshold = int(v); }},
            {form.txtRings(), 1.0, [](CanopySettings& s, double v) { s.rings = int(v); }},
            {form.txtSectors(), 1.0, [](CanopySettings& s, double v) { s.sectors = int(v); }},
            {form.txtGamma(), 0.01, [](CanopySettings& s, double v) { s.gamma = v; }},
            {form.txtMaxZenith(), 0.1, [](CanopySettings& s, double v) { s.maxZenithDeg = v; }},
        };
        for (const auto& c : controls) {
            auto* count = qobject_cast<QSpinBox*>(c.box);
            auto* real = qobject_cast<QDoubleSpinBox*>(c.box);
            const double low = count ? count->minimum() : real->minimum();
            const double high = count ? count->maximum() : real->maximum();
            const QByteArray name = c.box->objectName().toLatin1();
            for (const double end : {low, high}) {
                if (count)
                    count->setValue(int(end));
                else
                    real->setValue(end);
                QVERIFY2(canopy::isValid(form.settings()), name.constData());
            }
            // Bounds the library takes beyond the form's would show here.
            for (const double beyond : {low - c.step, high + c.step}) {
                CanopySettings s = form.settings();
                c.set(s, beyond);
                QVERIFY2(!canopy::isValid(s), name.constData());
            }
        }
    }

    void classifyingAsksOnlyAboutPaintedDots()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        canopy.form().txtGapClass()->setValue(3);
        QPushButton* classify = canopy.cmdClassify();
        classify->click();
        QVERIFY(app_->dialogs.questions.isEmpty()); // nothing painted yet
        const int threshold = canopy.tracker().pixels()->threshold;
        // Read through the circle the pixels were measured through.
        const auto reading = canopy::classifyDotsOf(
            hSrc, throughFoundCircle(), nullptr, DstPrm, DstW, DstH, canopy.tracker().settings(), threshold);
        QVERIFY(reading.has_value());
        int gaps = 0;
        for (std::size_t n = 1; n <= kDotCount; ++n) {
            QCOMPARE(DotClass[n], int16_t(reading->gaps[n] ? 3 : 0));
            gaps += reading->gaps[n];
        }
        QVERIFY(gaps > 100 && gaps < 900); // a photo of sky and buildings
        QCOMPARE(int(ClassCount[3]), gaps);
        QCOMPARE(int(ClassCount[0]), kDotCount - gaps);
        for (int k : {0, 3})
            QCOMPARE(app_->labelText(k), QString::fromStdString(ClassPercentText(ClassCount[std::size_t(k)])));
        // The brush is ready to correct class 3, and the dots show in its colour.
        QVERIFY(AreaOn);
        QCOMPARE(CurRgn, int16_t(3));
        const int gapDot = int(std::find(reading->gaps.begin() + 1, reading->gaps.end(), true) - reading->gaps.begin());
        QCOMPARE(app_->dst()->canvas().pixel(test::AreaApp::at(gapDot)), views::colourOf(CurRgnColor).rgb());
        QVERIFY(canopy.notes().contains(u"threshold %1"_s.arg(threshold)));

        // A correction is painting, which Classify asks about; No keeps it.
        app_->panel().optBrush(3)->click();
        QTest::mouseClick(app_->pct(), Qt::RightButton, {}, test::AreaApp::at(gapDot));
        const auto corrected = DotClass;
        QVERIFY(corrected[std::size_t(gapDot)] == 0);
        app_->dialogs.answers = {false, true};
        classify->click();
        QCOMPARE(app_->dialogs.questions, QStringList{test::kDiscardQuestion});
        QVERIFY(DotClass == corrected);
        classify->click();
        QCOMPARE(app_->dialogs.questions.size(), 2);
        QCOMPARE(int(ClassCount[3]), gaps);
        QCOMPARE(DotClass[std::size_t(gapDot)], int16_t(3));
    }

    // The dots give figures once someone looked at them: before Classify (or
    // painting, or an area file) every dot is in class 0 only because none
    // was, and their figures would read a closed canopy. Then the figures
    // follow the brush.
    void dotFiguresWaitForClassifiedDotsThenFollowTheBrush()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        const ui::CanopyFigureTable& table = canopy.table();
        QCOMPARE(table.text(u"openness"_s, Column::kDots), kDash);
        QCOMPARE(table.text(u"Le"_s, Column::kDots), kDash);
        QVERIFY(table.cell(u"openness"_s, Column::kDots)->toolTip().contains(u"No dot is classified or painted"_s));
        QVERIFY(canopy.notes().contains(u"No figures from the dots yet"_s));

        canopy.cmdClassify()->click();
        const canopy::DotFigures classified = *canopy.tracker().dots();
        QCOMPARE(classified.status, canopy::DotStatus::Ok);
        QCOMPARE(table.text(u"openness"_s, Column::kDots), fixed(classified.openness.value, 3));
        QVERIFY(classified.openness.value > 0.1);
        const test::Csv csv = app_->exportCanopy(canopy, dir_.filePath(u"classified.csv"_s));
        QCOMPARE(csv.rows.size(), 1);
        QCOMPARE(csv.field(0, u"openness_dots"_s), fixed(classified.openness.value, 6));

        // Erase the sky dots under a stroke across the centre.
        app_->panel().optBrush(3)->click();
        app_->stroke(test::AreaApp::at(1) - QPoint(60, 0), {8, 0}, 15, Qt::RightButton);
        const canopy::DotFigures now = *canopy.tracker().dots();
        QVERIFY(now.openness.value < classified.openness.value - 0.005);
        QCOMPARE(table.text(u"openness"_s, Column::kDots), fixed(now.openness.value, 3));
        QCOMPARE(table.text(u"openness"_s, Column::kInterval),
            fixed(now.openness.lo, 3) + kDash + fixed(now.openness.hi, 3));
        QVERIFY(now.le.has_value());
        QCOMPARE(table.text(u"Le"_s, Column::kDots), fixed(now.le->value, 2));
    }

    void exportAppendsRowsAndRefusesAForeignHeader()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        const QString path = dir_.filePath(u"plots.csv"_s);
        app_->dialogs.files = {path};
        canopy.cmdExport()->click();
        const ui::FileDialogRequest& request = app_->dialogs.requests.back();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Save);
        QCOMPARE(request.defaultSuffix, u"csv"_s);
        QCOMPARE(request.fileName, QFileInfo(QString::fromStdString(SrcFile)).dir().filePath("canopy.csv"));
        const test::Csv csv = app_->exportCanopy(canopy, path);
        QCOMPARE(app_->dialogs.requests.back().fileName, path); // the file last written
        QVERIFY(app_->dialogs.messages.isEmpty());

        // The columns of a row are the CSV suite's (tests/canopy); here what
        // the window puts in them.
        QCOMPARE(csv.rows.size(), 2);
        QCOMPARE(csv.rows[0], csv.rows[1]);
        const auto field = [&](const char* name) { return csv.field(0, QLatin1String(name)); };
        QCOMPARE(field("file"), QString::fromStdString(SrcFile));
        QCOMPARE(field("error"), QString());
        QCOMPARE(field("openness"), fixed(canopy.tracker().pixels()->openness, 6));
        QCOMPARE(field("openness_dots"), QString()); // no dot is classified yet
        QCOMPARE(field("r"), fixed(throughFoundCircle().R, 2));
        QCOMPARE(field("circle"), u"detected"_s);
        QVERIFY(canopy.notes().contains(u"Row added to plots.csv"_s));

        // Six rings make another header: the file is left as it was.
        canopy.form().txtRings()->setValue(6);
        const QByteArray kept = test::readFile(path);
        (void)app_->exportCanopy(canopy, path);
        QCOMPARE(test::readFile(path), kept);
        QCOMPARE(app_->dialogs.messages.size(), 1);
        QVERIFY(app_->dialogs.messages[0].contains(
            u"column 30 is \"dots_projection\" in the file but \"gf_6\" in this row"_s));
        QVERIFY(canopy.notes().contains(u"No row added to plots.csv"_s));
    }

    void aCircleSetByHandIsTheWindows()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        QVERIFY(canopy.source().detected);
        QVERIFY(canopy.notes().contains(u"Measured through the image circle found on the photo"_s));
        QVERIFY(app_->app.frmMain().circleState().isEmpty());

        SrcPrm.R -= 5.0; // as the parameters window would set it
        canopy.refresh();
        QVERIFY(!canopy.source().detected);
        QVERIFY(canopy.notes().contains(u"Measured through the window's source circle"_s));
        const canopy::PixelFigures direct
            = canopy::measurePixels(*canopy::pixelViewOf(hSrc), SrcPrm, nullptr, canopy.tracker().settings());
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kPixels), fixed(direct.openness, 3));
        const test::Csv csv = app_->exportCanopy(canopy, dir_.filePath(u"window.csv"_s));
        QCOMPARE(csv.rows.size(), 1);
        QCOMPARE(csv.field(0, u"circle"_s), u"window"_s);
        QCOMPARE(csv.field(0, u"r"_s), fixed(SrcPrm.R, 2));

        // The automatic reset finds the circle again.
        app_->app.windows().frmFormat().findChild<QPushButton*>(u"cmdReset"_s)->click();
        canopy.refresh();
        QVERIFY(canopy.source().detected);
    }

    void aPhotoWithoutACircleSaysSo()
    {
        ui::CanopyWindow& canopy = app_->openCanopy(test::writePicture(dir_, u"white.bmp"_s, {320, 240}, Qt::white));
        QVERIFY(!canopy.source().detected);
        QVERIFY(canopy.notes().contains(u"The image circle was not found on the photo"_s));
        QCOMPARE(app_->app.frmMain().circleState(), u"Image circle not found: the source circle is a default one"_s);
        QVERIFY(isImage(hDst)); // the conversion keeps the default circle
        // Fitted by hand, the words follow.
        ui::FormatWindow& format = app_->app.windows().frmFormat();
        format.field(Field::SrcR)->setText(QString::fromStdString(formatFixed2(SrcPrm.R - 4.0)));
        QTest::keyClick(format.field(Field::SrcR), Qt::Key_Return);
        canopy.refresh();
        QCOMPARE(app_->app.frmMain().circleState(), u"Image circle not found: the source circle is fitted by hand"_s);
        QVERIFY(canopy.notes().contains(u"that circle was fitted by hand"_s));
        app_->menu("mnuFileClose");
        QVERIFY(app_->app.frmMain().circleState().isEmpty());
    }

    // Fields read back as they are shown are no change: Apply, Enter in every
    // field and a new destination size keep the found circle and the view on
    // the camera axis, and so the figures.
    void fieldsReadBackKeepTheFoundCircle()
    {
        // Its reset's radius, 0.47 of the box, has more than two decimals.
        const QString photo = QStringLiteral(KARWEN_REAL_DATA_DIR "/broadleaf_dusk_fce9.jpg");
        if (!QFileInfo::exists(photo))
            QSKIP("no shared photos");
        ui::CanopyWindow& canopy = app_->openCanopy(photo);
        QVERIFY(SrcAuto.r != std::stod(formatFixed2(SrcAuto.r))); // so its field reads back another value
        QVERIFY(canopy.source().detected);
        const double openness = canopy.tracker().pixels()->openness;
        const ProjectionRecord before = canopy.source().prm;
        ui::FormatWindow& format = app_->app.windows().frmFormat();
        const auto enter = [&](Field field, const QString& text) {
            format.field(field)->setText(text);
            QTest::keyClick(format.field(field), Qt::Key_Return);
            canopy.refresh();
        };
        const auto unchanged = [&] {
            canopy.refresh();
            QVERIFY(canopy.source().detected);
            const ProjectionRecord& now = canopy.source().prm;
            QVERIFY(now.Cx == before.Cx && now.Cy == before.Cy && now.R == before.R);
            QVERIFY(now.Alpha == 0.0 && now.Beta == 0.0);
            QCOMPARE(canopy.tracker().pixels()->openness, openness);
        };
        format.findChild<QPushButton*>(u"cmdApply"_s)->click();
        unchanged();
        for (int i = 0; i < kEditableFields; ++i)
            QTest::keyClick(format.field(static_cast<Field>(i)), Qt::Key_Return);
        unchanged();
        enter(Field::DstWidth, u"600"_s);
        QCOMPARE(DstW, 600);
        unchanged();
        // A view point a hundredth of a pixel off the centre is the user's,
        // and so is a radius typed.
        enter(Field::RefPointX, QString::fromStdString(formatFixed2(SrcPrm.Cx + 0.01)));
        QVERIFY(canopy.source().detected);
        QVERIFY(canopy.source().prm.Beta != 0.0 || canopy.source().prm.Alpha != 0.0);
        enter(Field::SrcR, QString::fromStdString(formatFixed2(SrcPrm.R - 3.0)));
        QVERIFY(!canopy.source().detected);
    }

    // A photo whose data is damaged shows what could be read, and no figures
    // and no sky image: the filler where the data ends would count as sky or
    // canopy.
    void aDamagedPhotoIsNotMeasured()
    {
        const QString cut = dir_.filePath(u"cut.jpg"_s);
        const QByteArray whole = test::readFile(test::kSamplePhoto);
        QVERIFY(test::writeFile(cut, whole.left(whole.size() / 2)));
        ui::CanopyWindow& canopy = app_->openCanopy(cut);
        QVERIFY(isImage(hDst)); // the conversion shows what was decoded
        QVERIFY2(canopy.notes().startsWith(u"No figures: the photo is damaged (damaged JPEG data)."_s),
            qPrintable(canopy.notes()));
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kPixels), kDash);
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kDots), kDash);
        QVERIFY(!canopy.cmdClassify()->isEnabled());
        QVERIFY(!canopy.cmdSaveSky()->isEnabled());
        QVERIFY(canopy.cmdSaveSky()->toolTip().contains(u"damaged JPEG data"_s));
        canopy.chkShowSky()->setChecked(true);
        QVERIFY(app_->app.windows().srcIfLoaded()->skyTint().isNull());

        // Its row says why, as the command line's does.
        QVERIFY(canopy.cmdExport()->isEnabled());
        const test::Csv csv = app_->exportCanopy(canopy, dir_.filePath(u"damaged.csv"_s));
        QCOMPARE(csv.rows.size(), 1);
        QCOMPARE(csv.field(0, u"error"_s), u"damaged JPEG data"_s);
        QCOMPARE(csv.field(0, u"openness"_s), QString());

        // A whole photo opened next is measured.
        QVERIFY(app_->open(test::kSamplePhoto));
        canopy.refresh();
        QVERIFY(!canopy.notes().contains(u"damaged"_s));
        QVERIFY(canopy.table().text(u"openness"_s, Column::kPixels) != kDash);
    }

    void aHistogramWithoutAValleySaysSo()
    {
        // A white disc on black, measured inside its rim: one value only.
        ui::CanopyWindow& canopy = app_->openCanopy(
            test::writePicture(dir_, u"disc.bmp"_s, {320, 240}, Qt::black, {{{160, 120}, 100, Qt::white}}));
        SrcPrm = throughFoundCircle();
        SrcPrm.R -= 10.0;
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Minimum));
        QVERIFY(canopy.notes().contains(u"No figures from the pixels: no threshold found; give a fixed threshold."_s));
        QVERIFY(!canopy.cmdExport()->isEnabled());
        QVERIFY(!canopy.cmdSaveSky()->isEnabled());
        QVERIFY(canopy.cmdSaveSky()->toolTip().contains(u"no threshold found"_s));
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kPixels), kDash);
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Fixed));
        QVERIFY(canopy.cmdExport()->isEnabled());
        QVERIFY(canopy.cmdSaveSky()->isEnabled());
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kPixels), fixed(1.0, 3));
    }

    // The default orthographic destination leaves a zenith ring without a
    // dot at 8 rings, and a perspective one has no dots for the hemisphere:
    // the dot figures are then the command line's, and the notes say so.
    void theCommandLinesDotsStandIn()
    {
        // That the tracker's dots are then the command line's is tests/canopy's.
        ui::CanopyWindow& canopy = app_->openCanopy();
        const ui::CanopyFigureTable& table = canopy.table();
        QCOMPARE(DstPrm.Proj, kOrthographic);
        canopy.form().txtRings()->setValue(8);
        QCOMPARE(canopy.tracker().dotOrigin(), canopy::DotOrigin::DotsView);
        QVERIFY(canopy.tracker().dots() && canopy.tracker().dots()->le);
        QCOMPARE(table.text(u"Le"_s, Column::kDots), fixed(canopy.tracker().dots()->le->value, 2));
        QCOMPARE(table.horizontalHeaderItem(Column::kDots)->text(), u"equisolid dots"_s);
        QVERIFY(canopy.notes().contains(u"The dot figures are the command line's: the 1000 dots of "
                                        "an equisolid view of 1000 x 1000 pixels"_s));
        QVERIFY(canopy.notes().contains(u"of the orthographic destination"_s));
        canopy.form().txtRings()->setValue(5);
        QCOMPARE(canopy.tracker().dotOrigin(), canopy::DotOrigin::Destination);
        QCOMPARE(table.horizontalHeaderItem(Column::kDots)->text(), u"dots"_s);

        auto* cmbD = app_->app.windows().frmFormat().findChild<QComboBox*>(u"cmbD"_s);
        cmbD->setCurrentIndex(ui::ParameterForm::projectionItem(cmbD, kPerspective));
        QCOMPARE(DstPrm.Proj, kPerspective);
        QVERIFY(canopy.notes().contains(u"since a perspective destination"_s));
        QCOMPARE(canopy.tracker().dotOrigin(), canopy::DotOrigin::DotsView);
        QCOMPARE(table.text(u"openness"_s, Column::kDots), fixed(canopy.tracker().dots()->openness.value, 3));
        QCOMPARE(table.horizontalHeaderItem(Column::kDots)->text(), u"equisolid dots"_s);
        QCOMPARE(table.text(u"openness"_s, Column::kPixels), fixed(canopy.tracker().pixels()->openness, 3));
    }

    void disabledWithoutAPhoto()
    {
        app_->menu("mnuCanopy");
        ui::CanopyWindow* canopy = app_->app.windows().canopyIfLoaded();
        QVERIFY(canopy && canopy->isVisible());
        QVERIFY(!canopy->isEnabled());
        QCOMPARE(canopy->notes(), u"Open a photo to measure its canopy."_s);
        QVERIFY(app_->open(test::kSamplePhoto));
        QVERIFY(canopy->isEnabled());
        QVERIFY(canopy->tracker().pixels().has_value());
        app_->menu("mnuFileClose");
        QVERIFY(!canopy->isEnabled());
        QCOMPARE(canopy->table().text(u"openness"_s, Column::kPixels), kDash);
    }

private:
    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestCanopyWindow)
#include "tst_canopy_window.moc"
