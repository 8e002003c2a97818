// What lets the Canopy window be trusted: "Show sky" tints exactly the
// pixels the figures count, the histogram and its threshold follow the
// settings, the command line's dots stand in when the destination's give no
// Le, a ring without sky gives a bound, every name has a tool tip, and the
// polar plot has north up with bearings clockwise.
#include "area_app_fixture.h"
#include "canopy_figure_table.h"
#include "canopy_settings_form.h"
#include "canopy_window.h"
#include "dots_view.h"
#include "figure_words.h"
#include "gap_polar_plot.h"
#include "grey_photo.h"
#include "image_row.h"
#include "sky_overlay.h"
#include "sky_pixels.h"
#include "src_view.h"
#include "value_histogram.h"

#include <functional>

using namespace karwen;
using namespace Qt::StringLiterals;
using Column = ui::CanopyFigureTable::Column;

namespace {

// Foliage on black with a sky cap around the zenith and two small gaps at
// the middle of the circle's radius: the rings beyond see no sky.
QString writeCanopyPhoto(const QTemporaryDir& dir)
{
    const QColor sky(150, 200, 255);
    return test::writePicture(dir, u"canopy.bmp"_s, {480, 400}, Qt::black,
        {{{240, 200}, 180, QColor(70, 120, 40)}, {{240, 200}, 40, sky}, {{240, 110}, 12, sky}, {{320, 200}, 10, sky}});
}

// How many pixels of the runs (rows counted upward) the tint covers.
long tintedInRuns(const QImage& tint, const std::vector<canopy::PixelRun>& runs)
{
    long covered = 0;
    for (const canopy::PixelRun& run : runs) {
        const auto* line = reinterpret_cast<const QRgb*>(tint.constScanLine(tint.height() - 1 - run.y));
        for (int x = run.x0; x < run.x1; ++x)
            covered += line[x] == ui::kSkyTint;
    }
    return covered;
}

long tintedPixels(const QImage& tint)
{
    long tinted = 0;
    for (int y = 0; y < tint.height(); ++y)
        for (int x = 0; x < tint.width(); ++x)
            tinted += tint.pixel(x, y) == ui::kSkyTint;
    return tinted;
}

} // namespace

class TestCanopyTrust : public QObject {
    Q_OBJECT
private slots:
    void init() { app_ = std::make_unique<test::AreaApp>(); }
    void cleanup() { app_.reset(); }

    void showSkyTintsThePixelsCountedAsSky()
    {
        ui::CanopyWindow& canopy = open(writeCanopyPhoto(dir_));
        views::SrcView* src = app_->app.windows().srcIfLoaded();
        QVERIFY(src && src->skyTint().isNull());
        canopy.chkShowSky()->setChecked(true);
        long tinted = 0;
        const auto check = [&] {
            const QImage& tint = src->skyTint();
            QCOMPARE(tint.size(), QSize(SrcW, SrcH));
            // The runs the figures count as sky, through the window's circle,
            // settings and threshold; their solid angles add up to the openness
            // (the canopy library's own tests hold that).
            const std::vector<canopy::PixelRun> runs = canopy::skyRuns(*canopy::pixelViewOf(hSrc), canopy.source().prm,
                nullptr, canopy.tracker().settings(), canopy.tracker().pixels()->threshold);
            long inRuns = 0;
            for (const canopy::PixelRun& run : runs)
                inRuns += run.x1 - run.x0;
            tinted = tintedPixels(tint);
            QCOMPARE(tintedInRuns(tint, runs), inRuns);
            QCOMPARE(tinted, inRuns);
        };
        check();
        const long otsu = tinted;
        QVERIFY(otsu > 4000); // the cap and the gaps
        // A fixed threshold below the foliage's blue: all the circle is sky.
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Fixed));
        canopy.form().txtThreshold()->setValue(2);
        check();
        QVERIFY(tinted > 4 * otsu);
        canopy.chkShowSky()->setChecked(false);
        QVERIFY(src->skyTint().isNull());
    }

    void histogramAndThresholdFollowTheSettings()
    {
        ui::CanopyWindow& canopy = open();
        const ui::ValueHistogram& histogram = canopy.histogram();
        QVERIFY(histogram.values() == canopy.tracker().pixels()->histogram);
        QCOMPARE(histogram.threshold(), canopy.tracker().pixels()->threshold);
        const canopy::Histogram before = *histogram.values();
        canopy.form().txtGamma()->setValue(1.0);
        QVERIFY(*histogram.values() != before);
        const canopy::PixelFigures direct = canopy::measurePixels(
            *canopy::pixelViewOf(hSrc), canopy.source().prm, nullptr, canopy.tracker().settings());
        QVERIFY(*histogram.values() == direct.histogram);
        QCOMPARE(histogram.threshold(), direct.threshold);
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Fixed));
        canopy.form().txtThreshold()->setValue(200);
        QCOMPARE(histogram.threshold(), 200);
        // The red line stands where the marker says.
        const QImage drawn = const_cast<ui::ValueHistogram&>(histogram).grab().toImage();
        const QColor line = drawn.pixelColor(histogram.thresholdColumn(), drawn.height() / 2);
        QVERIFY2(line.red() > 180 && line.green() < 80, qPrintable(line.name()));
    }

    // The default orthographic destination leaves a zenith ring without a
    // dot at 8 rings: Le comes from the command line's equisolid dots.
    void eightRingsTakeTheCommandLinesDots()
    {
        ui::CanopyWindow& canopy = open();
        QCOMPARE(DstPrm.Proj, kOrthographic);
        canopy.form().txtRings()->setValue(8);
        QCOMPARE(canopy.tracker().dotOrigin(), canopy::DotOrigin::DotsView);
        const canopy::CanopyRow row = canopy::measurePhoto(SrcFile, hSrc, canopy.source().prm, nullptr,
            canopy::kDotsViewRecord, canopy::kDotsViewSide, canopy::kDotsViewSide, canopy.tracker().settings());
        QVERIFY(row.dots && row.dots->le);
        const ui::CanopyFigureTable& table = canopy.table();
        QCOMPARE(table.text(u"Le"_s, Column::kDots), QString::number(row.dots->le->value, 'f', 2));
        QCOMPARE(table.horizontalHeaderItem(Column::kDots)->text(), u"equisolid dots"_s);
        QVERIFY(canopy.notes().contains(u"The dot figures are the command line's: the 1000 dots of "
                                        "an equisolid view of 1000 x 1000 pixels"_s));
        QVERIFY(canopy.notes().contains(u"of the orthographic destination"_s));
        canopy.form().txtRings()->setValue(5);
        QCOMPARE(canopy.tracker().dotOrigin(), canopy::DotOrigin::Destination);
        QCOMPARE(table.horizontalHeaderItem(Column::kDots)->text(), u"dots"_s);
    }

    void aRingWithoutSkyGivesABound()
    {
        QCOMPARE(ui::boundText({9.2, {{1, -1}}}, 1, u"dot"_s),
            u"at least 9.2 (ring 2 has no sky; counted as one dot's share)"_s);
        QCOMPARE(ui::boundText({3.0, {{2, -1}, {3, -1}, {4, -1}}}, 2, u"pixel"_s),
            u"at least 3.00 (rings 3, 4 and 5 have no sky; each counted as one pixel's share)"_s);

        ui::CanopyWindow& canopy = open(writeCanopyPhoto(dir_));
        const canopy::PixelFigures& pixels = *canopy.tracker().pixels();
        QVERIFY(pixels.saturated && pixels.leBound);
        const ui::CanopyFigureTable& table = canopy.table();
        const QTableWidgetItem* le = table.cell(u"Le"_s, Column::kPixels);
        QCOMPARE(le->text(), u"at least "_s + QString::number(pixels.leBound->atLeast, 'f', 2));
        QCOMPARE(le->toolTip(), ui::boundText(*pixels.leBound, 2, u"pixel"_s));
        QVERIFY2(le->toolTip().contains(u"no sky; "_s), qPrintable(le->toolTip()));
        // A ring of more than e^10 pixels stays at the floor, which is then the bound.
        QVERIFY(pixels.leBound->atLeast <= pixels.le);
        QCOMPARE(table.text(u"LX"_s, Column::kPixels), u"\u2013"_s);
        QVERIFY(canopy.notes().contains(u"Le from the pixels: at least "_s));

        canopy.cmdClassify()->click();
        const canopy::DotFigures& dots = *canopy.tracker().dots();
        QVERIFY(dots.le && dots.leBound);
        QCOMPARE(table.text(u"Le"_s, Column::kDots), u"at least "_s + QString::number(dots.leBound->atLeast, 'f', 2));
        QVERIFY(canopy.notes().contains(u"Le from the dots: "_s + ui::boundText(*dots.leBound, 2, u"dot"_s)));

        // The export writes the bounds the table shows, never the floor's value.
        const auto field = exportedRow(canopy);
        QCOMPARE(field(u"le"_s).toDouble(), round6(pixels.leBound->atLeast));
        QCOMPARE(field(u"lx"_s), QString());
        QCOMPARE(field(u"saturated"_s), u"1"_s);
        QCOMPARE(field(u"le_dots"_s).toDouble(), round6(dots.leBound->atLeast));
        QCOMPARE(field(u"le_dots_lo"_s).toDouble(), round6(std::min(dots.le->lo, dots.leBound->atLeast)));
        QCOMPARE(field(u"le_dots_hi"_s), QString());
        QCOMPARE(field(u"dots_saturated"_s), u"1"_s);
    }

    // A grey photo is measured on its grey, whatever channel is chosen, and
    // the window says so; the choice itself stays the user's.
    void aGreyPhotoIsMeasuredOnItsGrey()
    {
        const QString path = dir_.filePath(u"grey.bmp"_s);
        const std::string bytes = test::greyBmp(96, 80, [](int x, int y) {
            return uint8_t((x - 48) * (x - 48) + (y - 40) * (y - 40) <= 30 * 30 ? (x + y) * 2 : 0);
        });
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        file.close();
        ui::CanopyWindow& canopy = open(path);
        QCOMPARE(canopy.tracker().settings().channel, canopy::Channel::Grey);
        QCOMPARE(canopy.form().cmbChannel()->currentText(), u"Blue"_s);
        QCOMPARE(canopy.form().cmbChannel()->count(), 2);
        QVERIFY2(canopy.notes().contains(u"The photo is grey: it is measured on its grey values"_s),
            qPrintable(canopy.notes()));

        [&] { QVERIFY(app_->open(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"))); }();
        QCOMPARE(canopy.tracker().settings().channel, canopy::Channel::Blue);
        QVERIFY(!canopy.notes().contains(u"The photo is grey"_s));
    }

    void everyNameIsExplained()
    {
        ui::CanopyWindow& canopy = open();
        const ui::CanopyFigureTable& table = canopy.table();
        for (const char* name :
            {"threshold", "openness", "DIFN", "Le", "L", "LX", "effective dots", "dots outside", "gf 1"})
            QVERIFY2(table.nameTip(QLatin1String(name)).size() > 20, name);
        QVERIFY(table.nameTip(u"Le"_s).contains(u"Effective leaf area index"_s));
        QVERIFY(table.nameTip(u"LX"_s).contains(u"Clumping index"_s));
        QVERIFY(table.text(u"dots (n)"_s, Column::kDots).isEmpty()); // no such name any more
    }

    // Sector 1 (azimuths 0 to 45 degrees from the photo's right, which is
    // west with the top north) is sky: drawn at bearings 270 to 315, upper left.
    void polarPlotHasNorthUpAndBearingsClockwise()
    {
        ui::GapPolarPlot plot;
        plot.resize(320, 260);
        std::vector<double> gaps(8, 0.0);
        gaps[0] = 1.0;
        plot.setGaps(1, 8, 90.0, gaps);
        const QImage drawn = plot.grab().toImage();
        const auto at = [&](double bearing) { return drawn.pixelColor(plot.skyPoint(bearing, 60.0).toPoint()); };
        QCOMPARE(at(292.5), ui::GapPolarPlot::gapColour(1.0));
        QCOMPARE(at(67.5), ui::GapPolarPlot::gapColour(0.0));
        QCOMPARE(at(22.5), ui::GapPolarPlot::gapColour(0.0));
    }

private:
    ui::CanopyWindow& open(const QString& path = QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"))
    {
        [&] { QVERIFY(app_->open(path)); }();
        app_->menu("mnuCanopy");
        return *app_->app.windows().canopyIfLoaded();
    }

    // The window's export of its photo, one field by its column's name.
    std::function<QString(const QString&)> exportedRow(ui::CanopyWindow& canopy)
    {
        const QString csv = dir_.filePath(u"exported.csv"_s);
        QFile::remove(csv);
        app_->dialogs.files = {csv};
        canopy.cmdExport()->click();
        QFile file(csv);
        [&] { QVERIFY(file.open(QIODevice::ReadOnly)); }();
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        const QStringList names = lines.value(0).split(u',');
        const QStringList fields = lines.value(1).split(u',');
        return [names, fields](const QString& name) { return fields.value(names.indexOf(name)); };
    }
    static double round6(double value) { return QString::number(value, 'f', 6).toDouble(); }

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestCanopyTrust)
#include "tst_canopy_trust.moc"
