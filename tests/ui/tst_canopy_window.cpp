// frmCanopy in the running program on the sample photo: the figures it
// shows against the library's own for the same settings, "Classify dots"
// and its question, the dot figures following the brush, the CSV export
// and its refusal of a foreign file, the circle measured through (the found
// one while the source circle is the automatic one) and a photo without a
// circle, and a perspective destination.
#include "area_app_fixture.h"
#include "canopy_csv.h"
#include "canopy_figure_table.h"
#include "canopy_settings_form.h"
#include "canopy_window.h"
#include "colour_value.h"
#include "dot_gaps.h"
#include "dots_view.h"
#include "format_window.h"
#include "image_row.h"
#include "parameter_fields.h"
#include "pixel_view.h"

#include <algorithm>

using namespace karwen;
using namespace Qt::StringLiterals;
using canopy::CanopySettings;
using Column = ui::CanopyFigureTable::Column;

Q_DECLARE_METATYPE(karwen::canopy::CanopySettings)

namespace {

QString fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

// SrcPrm through the image circle found on the open photo, its rim the
// horizon.
ProjectionRecord throughFoundCircle()
{
    RixCircle found{};
    [&] {
        QCOMPARE(RixFindCircle(hSrc, &found), 1);
        QVERIFY(found.Confident);
    }();
    ProjectionRecord source = SrcPrm;
    source.Cx = found.Cx;
    source.Cy = found.Cy;
    source.R = found.R;
    return source;
}

canopy::DotFigures dotFiguresNow(const ui::CanopyWindow& window)
{
    const CanopySettings& s = window.tracker().settings();
    return canopy::measureDots(canopy::gapsOfClass(DotClass, window.tracker().gapClass()), DstPrm.Proj, s);
}

// The column names of a header line.
QStringList names(const QString& header) { return header.split(QLatin1Char(',')); }

// The lines of a text file, line ends taken off.
QStringList linesOf(const QString& path)
{
    QStringList lines = QString::fromUtf8(test::readFile(path)).split(u"\r\n"_s);
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

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
        ui::CanopyWindow& canopy = open();
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
        QCOMPARE(table.text(u"threshold"_s, Column::kPixels), QString::number(direct.threshold));
        QCOMPARE(table.text(u"openness"_s, Column::kPixels), fixed(direct.openness, 3));
        QCOMPARE(table.text(u"DIFN"_s, Column::kPixels), fixed(direct.difn, 3));
        QCOMPARE(table.text(u"Le"_s, Column::kPixels),
            direct.leBound ? u"at least "_s + fixed(direct.leBound->atLeast, 2) : fixed(direct.le, 2));
        // A sector without sky makes L a bound.
        QCOMPARE(table.text(u"L"_s, Column::kPixels),
            direct.lBound ? u"at least "_s + fixed(direct.lBound->atLeast, 2) : fixed(direct.l, 2));
        QCOMPARE(table.text(u"gf %1"_s.arg(settings.rings), Column::kPixels), fixed(direct.ringGap.back(), 3));
        // No row beyond the last ring.
        QVERIFY(table.text(u"gf %1"_s.arg(settings.rings + 1), Column::kPixels).isEmpty());
        QCOMPARE(canopy.tracker().pixels()->sectorGap, direct.sectorGap);
    }

    // The form's ranges are the library's to the form's resolution: every
    // control at either end gives valid settings, one step further not.
    void formRangesAreTheLibrarys()
    {
        const ui::CanopySettingsForm form;
        const auto settingsAt = [&](QAbstractSpinBox* box, double value) {
            if (auto* count = qobject_cast<QSpinBox*>(box))
                count->setValue(int(value));
            else
                static_cast<QDoubleSpinBox*>(box)->setValue(value);
            return form.settings();
        };
        const auto setBeyond = [](CanopySettings s, QAbstractSpinBox* box, double value) {
            const QString name = box->objectName();
            if (name == "txtThreshold")
                s.fixedThreshold = int(value);
            else if (name == "txtRings")
                s.rings = int(value);
            else if (name == "txtSectors")
                s.sectors = int(value);
            else if (name == "txtGamma")
                s.gamma = value;
            else
                s.maxZenithDeg = value;
            return s;
        };
        const std::pair<QAbstractSpinBox*, double> controls[] = {{form.txtThreshold(), 1.0}, {form.txtRings(), 1.0},
            {form.txtSectors(), 1.0}, {form.txtGamma(), 0.01}, {form.txtMaxZenith(), 0.1}};
        for (const auto& [box, step] : controls) {
            const auto* count = qobject_cast<QSpinBox*>(box);
            const auto* real = qobject_cast<QDoubleSpinBox*>(box);
            const double low = count ? count->minimum() : real->minimum();
            const double high = count ? count->maximum() : real->maximum();
            for (const double end : {low, high})
                QVERIFY2(canopy::isValid(settingsAt(box, end)), qPrintable(box->objectName()));
            // Bounds the library takes beyond the form's would show here.
            QVERIFY2(!canopy::isValid(setBeyond(form.settings(), box, low - step)), qPrintable(box->objectName()));
            QVERIFY2(!canopy::isValid(setBeyond(form.settings(), box, high + step)), qPrintable(box->objectName()));
        }
    }

    void classifyingAsksOnlyAboutPaintedDots()
    {
        ui::CanopyWindow& canopy = open();
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
        QCOMPARE(app_->labelText(3), QString::fromStdString(ClassPercentText(ClassCount[3])));
        QCOMPARE(app_->labelText(0), QString::fromStdString(ClassPercentText(ClassCount[0])));
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
        app_->dialogs.answers = {false};
        classify->click();
        QCOMPARE(app_->dialogs.questions, QStringList{test::kDiscardQuestion});
        QVERIFY(DotClass == corrected);
        app_->dialogs.answers = {true};
        classify->click();
        QCOMPARE(app_->dialogs.questions.size(), 2);
        QCOMPARE(int(ClassCount[3]), gaps);
        QCOMPARE(DotClass[std::size_t(gapDot)], int16_t(3));
    }

    void dotFiguresFollowTheBrush()
    {
        ui::CanopyWindow& canopy = open();
        canopy.cmdClassify()->click();
        const ui::CanopyFigureTable& table = canopy.table();
        const double before = canopy.tracker().dots()->openness.value;
        // Erase the sky dots under a stroke across the centre.
        app_->panel().optBrush(3)->click();
        app_->stroke(test::AreaApp::at(1) - QPoint(60, 0), {8, 0}, 15, Qt::RightButton);
        const canopy::DotFigures now = dotFiguresNow(canopy);
        QVERIFY(now.openness.value < before - 0.005);
        QCOMPARE(table.text(u"openness"_s, Column::kDots), fixed(now.openness.value, 3));
        QCOMPARE(table.text(u"openness"_s, Column::kInterval),
            fixed(now.openness.lo, 3) + u"\u2013"_s + fixed(now.openness.hi, 3));
        QVERIFY(now.le.has_value());
        QCOMPARE(table.text(u"Le"_s, Column::kDots), fixed(now.le->value, 2));
    }

    void exportAppendsRowsAndRefusesAForeignHeader()
    {
        ui::CanopyWindow& canopy = open();
        const QString csv = dir_.filePath(u"plots.csv"_s);
        app_->dialogs.files = {csv, csv};
        canopy.cmdExport()->click();
        const ui::FileDialogRequest& request = app_->dialogs.requests.back();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Save);
        QCOMPARE(request.defaultSuffix, u"csv"_s);
        QCOMPARE(request.fileName, QFileInfo(QString::fromStdString(SrcFile)).dir().filePath("canopy.csv"));
        canopy.cmdExport()->click();
        QCOMPARE(app_->dialogs.requests.back().fileName, csv); // the file last written
        QVERIFY(app_->dialogs.messages.isEmpty());

        const QStringList lines = linesOf(csv);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString::fromStdString(canopy::csvHeader(5)));
        QCOMPARE(lines[1], lines[2]);
        const QStringList names = lines[0].split(QLatin1Char(','));
        const QStringList fields = lines[1].split(QLatin1Char(','));
        QCOMPARE(fields.size(), names.size());
        const auto field = [&](const char* name) { return fields.value(names.indexOf(QLatin1String(name))); };
        QCOMPARE(field("file"), QString::fromStdString(SrcFile));
        QCOMPARE(field("error"), QString());
        QCOMPARE(field("openness"), fixed(canopy.tracker().pixels()->openness, 6));
        QCOMPARE(field("openness_dots"), QString()); // no dot is classified yet
        QCOMPARE(field("le_dots"), QString());
        QCOMPARE(field("r"), fixed(throughFoundCircle().R, 2));
        QCOMPARE(field("circle"), u"detected"_s);
        QCOMPARE(field("dots_outside"), QString());
        // The light columns come before the photo's metadata, all empty
        // without light figures.
        const int light = canopy::kCsvLightColumns, metadata = canopy::kCsvMetadataColumns;
        QCOMPARE(names.mid(names.size() - metadata - light - 3, 3),
            (QStringList{u"circle"_s, u"dots_outside"_s, u"lens"_s}));
        QCOMPARE(names.last(), u"gps_altitude"_s);
        for (const QString& empty : fields.mid(fields.size() - metadata - light, light))
            QVERIFY(empty.isEmpty());
        QVERIFY(canopy.notes().contains(u"Row added to plots.csv"_s));

        // Six rings make another header: the file is left as it was.
        canopy.form().txtRings()->setValue(6);
        app_->dialogs.files = {csv};
        const QByteArray kept = test::readFile(csv);
        canopy.cmdExport()->click();
        QCOMPARE(test::readFile(csv), kept);
        QCOMPARE(app_->dialogs.messages.size(), 1);
        QVERIFY(app_->dialogs.messages[0].contains(
            u"column 30 is \"dots_projection\" in the file but \"gf_6\" in this row"_s));
        QVERIFY(canopy.notes().contains(u"No row added to plots.csv"_s));
    }

    void aCircleSetByHandIsTheWindows()
    {
        ui::CanopyWindow& canopy = open();
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

        const QString csv = dir_.filePath(u"window.csv"_s);
        app_->dialogs.files = {csv};
        canopy.cmdExport()->click();
        const QStringList lines = linesOf(csv);
        QCOMPARE(lines.size(), 2);
        const QStringList fields = lines[1].split(QLatin1Char(','));
        QCOMPARE(fields.value(names(lines[0]).indexOf(u"circle"_s)), u"window"_s);
        QCOMPARE(fields.value(names(lines[0]).indexOf(u"r"_s)), fixed(SrcPrm.R, 2));

        // The automatic reset finds the circle again.
        app_->app.windows().frmFormat().findChild<QPushButton*>(u"cmdReset"_s)->click();
        canopy.refresh();
        QVERIFY(canopy.source().detected);
    }

    void aPhotoWithoutACircleSaysSo()
    {
        ui::CanopyWindow& canopy = open(test::writePicture(dir_, u"white.bmp"_s, {320, 240}, Qt::white));
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

    // The dots give figures once someone looked at them: before Classify (or
    // painting, or an area file) every dot is in class 0 only because none
    // was, and their figures would read a closed canopy.
    void dotFiguresWaitForClassifiedDots()
    {
        ui::CanopyWindow& canopy = open();
        const ui::CanopyFigureTable& table = canopy.table();
        QCOMPARE(table.text(u"openness"_s, Column::kDots), u"\u2013"_s);
        QCOMPARE(table.text(u"Le"_s, Column::kDots), u"\u2013"_s);
        QVERIFY(table.cell(u"openness"_s, Column::kDots)->toolTip().contains(u"No dot is classified or painted"_s));
        QVERIFY(canopy.notes().contains(u"No figures from the dots yet"_s));

        canopy.cmdClassify()->click();
        const auto& dots = canopy.tracker().dots();
        QVERIFY(dots && dots->status == canopy::DotStatus::Ok);
        QCOMPARE(table.text(u"openness"_s, Column::kDots), fixed(dots->openness.value, 3));
        QVERIFY(dots->openness.value > 0.1);
        const QString csv = dir_.filePath(u"classified.csv"_s);
        app_->dialogs.files = {csv};
        canopy.cmdExport()->click();
        const QStringList lines = linesOf(csv);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1].split(QLatin1Char(',')).value(names(lines[0]).indexOf(u"openness_dots"_s)),
            fixed(dots->openness.value, 6));
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
        ui::CanopyWindow& canopy = open(photo);
        QVERIFY(SrcAuto.r != std::stod(formatFixed2(SrcAuto.r))); // so its field reads back another value
        QVERIFY(canopy.source().detected);
        const double openness = canopy.tracker().pixels()->openness;
        const ProjectionRecord before = canopy.source().prm;
        ui::FormatWindow& format = app_->app.windows().frmFormat();
        const auto unchanged = [&] {
            canopy.refresh();
            QVERIFY(canopy.source().detected);
            QCOMPARE(canopy.source().prm.Cx, before.Cx);
            QCOMPARE(canopy.source().prm.Cy, before.Cy);
            QCOMPARE(canopy.source().prm.R, before.R);
            QCOMPARE(canopy.source().prm.Alpha, 0.0);
            QCOMPARE(canopy.source().prm.Beta, 0.0);
            QCOMPARE(canopy.tracker().pixels()->openness, openness);
        };
        format.findChild<QPushButton*>(u"cmdApply"_s)->click();
        unchanged();
        for (int i = 0; i < kEditableFields; ++i)
            QTest::keyClick(format.field(static_cast<Field>(i)), Qt::Key_Return);
        unchanged();
        format.field(Field::DstWidth)->setText(u"600"_s);
        QTest::keyClick(format.field(Field::DstWidth), Qt::Key_Return);
        QCOMPARE(DstW, 600);
        unchanged();
        // A view point a hundredth of a pixel off the centre is the user's,
        // and so is a radius typed.
        format.field(Field::RefPointX)->setText(QString::fromStdString(formatFixed2(SrcPrm.Cx + 0.01)));
        QTest::keyClick(format.field(Field::RefPointX), Qt::Key_Return);
        canopy.refresh();
        QVERIFY(canopy.source().detected);
        QVERIFY(canopy.source().prm.Beta != 0.0 || canopy.source().prm.Alpha != 0.0);
        format.field(Field::SrcR)->setText(QString::fromStdString(formatFixed2(SrcPrm.R - 3.0)));
        QTest::keyClick(format.field(Field::SrcR), Qt::Key_Return);
        canopy.refresh();
        QVERIFY(!canopy.source().detected);
    }

    // A photo whose data is damaged shows what could be read, and no figures:
    // the filler where the data ends would count as sky or canopy.
    void aDamagedPhotoIsNotMeasured()
    {
        const QString cut = dir_.filePath(u"cut.jpg"_s);
        {
            QFile whole(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"));
            QFile part(cut);
            QVERIFY(whole.open(QIODevice::ReadOnly) && part.open(QIODevice::WriteOnly));
            part.write(whole.read(whole.size() / 2));
        }
        ui::CanopyWindow& canopy = open(cut);
        QVERIFY(isImage(hDst)); // the conversion shows what was decoded
        QVERIFY2(canopy.notes().startsWith(u"No figures: the photo is damaged (damaged JPEG data)."_s),
            qPrintable(canopy.notes()));
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kPixels), u"\u2013"_s);
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kDots), u"\u2013"_s);
        QVERIFY(!canopy.cmdClassify()->isEnabled());
        canopy.chkShowSky()->setChecked(true);
        QVERIFY(app_->app.windows().srcIfLoaded()->skyTint().isNull());

        // Its row says why, as the command line's does.
        const QString csv = dir_.filePath(u"damaged.csv"_s);
        app_->dialogs.files = {csv};
        QVERIFY(canopy.cmdExport()->isEnabled());
        canopy.cmdExport()->click();
        const QStringList lines = linesOf(csv);
        QCOMPARE(lines.size(), 2);
        const QStringList fields = lines[1].split(QLatin1Char(','));
        QCOMPARE(fields.value(names(lines[0]).indexOf(u"error"_s)), u"damaged JPEG data"_s);
        QCOMPARE(fields.value(names(lines[0]).indexOf(u"openness"_s)), QString());

        // A whole photo opened next is measured.
        QVERIFY(app_->open(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg")));
        canopy.refresh();
        QVERIFY(!canopy.notes().contains(u"damaged"_s));
        QVERIFY(canopy.table().text(u"openness"_s, Column::kPixels) != u"\u2013"_s);
    }

    void aHistogramWithoutAValleySaysSo()
    {
        // A white disc on black, measured inside its rim: one value only.
        ui::CanopyWindow& canopy
            = open(test::writePicture(dir_, u"disc.bmp"_s, {320, 240}, Qt::black, {{{160, 120}, 100, Qt::white}}));
        SrcPrm = throughFoundCircle();
        SrcPrm.R -= 10.0;
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Minimum));
        QVERIFY(canopy.notes().contains(u"No figures from the pixels: no threshold found; give a fixed threshold."_s));
        QVERIFY(!canopy.cmdExport()->isEnabled());
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kPixels), u"\u2013"_s);
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Fixed));
        QVERIFY(canopy.cmdExport()->isEnabled());
        QCOMPARE(canopy.table().text(u"openness"_s, Column::kPixels), fixed(1.0, 3));
    }

    // A perspective destination has no dots for the hemisphere: the dot
    // figures are the command line's, and the notes say so.
    void perspectiveTakesTheCommandLinesDots()
    {
        ui::CanopyWindow& canopy = open();
        app_->app.windows().frmFormat().findChild<QComboBox*>(u"cmbD"_s)->setCurrentIndex(kPerspective);
        QCOMPARE(DstPrm.Proj, kPerspective);
        QVERIFY(canopy.notes().contains(u"The dot figures are the command line's"_s));
        QVERIFY(canopy.notes().contains(u"since a perspective destination"_s));
        const ui::CanopyFigureTable& table = canopy.table();
        const canopy::CanopyRow row = canopy::measurePhoto(SrcFile, hSrc, throughFoundCircle(), nullptr,
            canopy::kDotsViewRecord, canopy::kDotsViewSide, canopy::kDotsViewSide, canopy.tracker().settings());
        QVERIFY(row.dots.has_value());
        QCOMPARE(table.text(u"openness"_s, Column::kDots), fixed(row.dots->openness.value, 3));
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
        QVERIFY(app_->open(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg")));
        QVERIFY(canopy->isEnabled());
        QVERIFY(canopy->tracker().pixels().has_value());
        app_->menu("mnuFileClose");
        QVERIFY(!canopy->isEnabled());
        QCOMPARE(canopy->table().text(u"openness"_s, Column::kPixels), u"\u2013"_s);
    }

private:
    ui::CanopyWindow& open(const QString& path = QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"))
    {
        [&] { QVERIFY(app_->open(path)); }();
        app_->menu("mnuCanopy");
        return *app_->app.windows().canopyIfLoaded();
    }

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestCanopyWindow)
#include "tst_canopy_window.moc"
