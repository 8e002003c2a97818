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
#include "image_row.h"
#include "sky_overlay.h"
#include "sky_pixels.h"
#include "src_view.h"
#include "value_histogram.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <map>

using namespace karwen;
using Column = ui::CanopyFigureTable::Column;

namespace {

// Foliage on black with a sky cap around the zenith and two small gaps at
// the middle of the circle's radius: the rings beyond see no sky.
QString writeCanopyPhoto(const QTemporaryDir& dir)
{
    QImage image(480, 400, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(70, 120, 40));
    painter.drawEllipse(QPointF(240, 200), 180, 180);
    painter.setBrush(QColor(150, 200, 255));
    painter.drawEllipse(QPointF(240, 200), 40, 40);
    painter.drawEllipse(QPointF(240, 110), 12, 12);
    painter.drawEllipse(QPointF(320, 200), 10, 10);
    painter.end();
    const QString path = dir.filePath(QStringLiteral("canopy.bmp"));
    return image.save(path, "BMP") ? path : QString();
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
                canopy.tracker().settings(), canopy.tracker().pixels()->threshold);
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
        ui::CanopyWindow& canopy = open(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"));
        const ui::ValueHistogram& histogram = canopy.histogram();
        QVERIFY(histogram.values() == canopy.tracker().pixels()->histogram);
        QCOMPARE(histogram.threshold(), canopy.tracker().pixels()->threshold);
        const canopy::Histogram before = *histogram.values();
        canopy.form().txtGamma()->setValue(1.0);
        QVERIFY(*histogram.values() != before);
        const canopy::PixelFigures direct
            = canopy::measurePixels(*canopy::pixelViewOf(hSrc), canopy.source().prm, canopy.tracker().settings());
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
        ui::CanopyWindow& canopy = open(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"));
        QCOMPARE(DstPrm.Proj, kOrthographic);
        canopy.form().txtRings()->setValue(8);
        QCOMPARE(canopy.tracker().dotOrigin(), canopy::DotOrigin::DotsView);
        const canopy::CanopyRow row = canopy::measurePhoto(SrcFile, hSrc, canopy.source().prm, canopy::kDotsViewRecord,
            canopy::kDotsViewSide, canopy::kDotsViewSide, canopy.tracker().settings());
        QVERIFY(row.dots && row.dots->le);
        const ui::CanopyFigureTable& table = canopy.table();
        QCOMPARE(table.text(QStringLiteral("Le"), Column::kDots), QString::number(row.dots->le->value, 'f', 2));
        QCOMPARE(table.horizontalHeaderItem(Column::kDots)->text(), QStringLiteral("equisolid dots"));
        QVERIFY(canopy.notes().contains(QStringLiteral("The dot figures are the command line's: the 1000 dots of "
                                                       "an equisolid view of 1000 x 1000 pixels")));
        QVERIFY(canopy.notes().contains(QStringLiteral("of the orthographic destination")));
        canopy.form().txtRings()->setValue(5);
        QCOMPARE(canopy.tracker().dotOrigin(), canopy::DotOrigin::Destination);
        QCOMPARE(table.horizontalHeaderItem(Column::kDots)->text(), QStringLiteral("dots"));
    }

    void aRingWithoutSkyGivesABound()
    {
        QCOMPARE(ui::boundText({9.2, {{1, -1}}}, 1, QStringLiteral("dot")),
            QStringLiteral("at least 9.2 (ring 2 has no sky; counted as one dot's share)"));
        QCOMPARE(ui::boundText({3.0, {{2, -1}, {3, -1}, {4, -1}}}, 2, QStringLiteral("pixel")),
            QStringLiteral("at least 3.00 (rings 3, 4 and 5 have no sky; each counted as one pixel's share)"));

        ui::CanopyWindow& canopy = open(writeCanopyPhoto(dir_));
        const canopy::PixelFigures& pixels = *canopy.tracker().pixels();
        QVERIFY(pixels.saturated && pixels.leBound);
        const ui::CanopyFigureTable& table = canopy.table();
        const QTableWidgetItem* le = table.cell(QStringLiteral("Le"), Column::kPixels);
        QCOMPARE(le->text(), QStringLiteral("at least ") + QString::number(pixels.leBound->atLeast, 'f', 2));
        QCOMPARE(le->toolTip(), ui::boundText(*pixels.leBound, 2, QStringLiteral("pixel")));
        QVERIFY2(le->toolTip().contains(QStringLiteral("no sky; ")), qPrintable(le->toolTip()));
        // A ring of more than e^10 pixels stays at the floor, which is then the bound.
        QVERIFY(pixels.leBound->atLeast <= pixels.le);
        QCOMPARE(table.text(QStringLiteral("LX"), Column::kPixels), QStringLiteral("\u2013"));
        QVERIFY(canopy.notes().contains(QStringLiteral("Le from the pixels: at least ")));

        canopy.cmdClassify()->click();
        const canopy::DotFigures& dots = *canopy.tracker().dots();
        QVERIFY(dots.le && dots.leBound);
        QCOMPARE(table.text(QStringLiteral("Le"), Column::kDots),
            QStringLiteral("at least ") + QString::number(dots.leBound->atLeast, 'f', 2));
        QVERIFY(canopy.notes().contains(
            QStringLiteral("Le from the dots: ") + ui::boundText(*dots.leBound, 2, QStringLiteral("dot"))));
    }

    void everyNameIsExplained()
    {
        ui::CanopyWindow& canopy = open(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"));
        const ui::CanopyFigureTable& table = canopy.table();
        for (const char* name :
            {"threshold", "openness", "DIFN", "Le", "L", "LX", "effective dots", "dots outside", "gf 1"})
            QVERIFY2(table.nameTip(QLatin1String(name)).size() > 20, name);
        QVERIFY(table.nameTip(QStringLiteral("Le")).contains(QStringLiteral("Effective leaf area index")));
        QVERIFY(table.nameTip(QStringLiteral("LX")).contains(QStringLiteral("Clumping index")));
        QVERIFY(table.text(QStringLiteral("dots (n)"), Column::kDots).isEmpty()); // no such name any more
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
    ui::CanopyWindow& open(const QString& path)
    {
        [&] { QVERIFY(app_->open(path)); }();
        app_->menu("mnuCanopy");
        return *app_->app.windows().canopyIfLoaded();
    }

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestCanopyTrust)
#include "tst_canopy_trust.moc"
