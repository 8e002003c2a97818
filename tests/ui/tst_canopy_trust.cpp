// What lets the Canopy window be trusted: "Show sky" tints exactly the
// pixels the figures count, the histogram and its threshold follow the
// settings, a ring without sky gives a bound, a grey photo is measured on
// its grey, and every name has a tool tip.
#include "area_app_fixture.h"
#include "canopy_figure_table.h"
#include "canopy_settings_form.h"
#include "figure_words.h"
#include "grey_photo.h"
#include "sky_overlay.h"
#include "sky_pixels.h"
#include "src_view.h"
#include "value_histogram.h"

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

} // namespace

class TestCanopyTrust : public QObject {
    Q_OBJECT
private slots:
    void init() { app_ = std::make_unique<test::AreaApp>(); }
    void cleanup() { app_.reset(); }

    void showSkyTintsThePixelsCountedAsSky()
    {
        ui::CanopyWindow& canopy = app_->openCanopy(writeCanopyPhoto(dir_));
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
            tinted = test::pixelsOfColour(tint, ui::kSkyTint);
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
        ui::CanopyWindow& canopy = app_->openCanopy();
        const ui::ValueHistogram& histogram = canopy.histogram();
        QVERIFY(histogram.values() == canopy.tracker().pixels()->histogram);
        QCOMPARE(histogram.threshold(), canopy.tracker().pixels()->threshold);
        const canopy::Histogram before = *histogram.values();
        canopy.form().txtGamma()->setValue(1.0);
        QVERIFY(*histogram.values() != before);
        QVERIFY(histogram.values() == canopy.tracker().pixels()->histogram);
        QCOMPARE(histogram.threshold(), canopy.tracker().pixels()->threshold);
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Fixed));
        canopy.form().txtThreshold()->setValue(200);
        QCOMPARE(histogram.threshold(), 200);
        // The red line stands where the marker says.
        const QImage drawn = const_cast<ui::ValueHistogram&>(histogram).grab().toImage();
        const QColor line = drawn.pixelColor(histogram.thresholdColumn(), drawn.height() / 2);
        QVERIFY2(line.red() > 180 && line.green() < 80, qPrintable(line.name()));
    }

    void aRingWithoutSkyGivesABound()
    {
        QCOMPARE(ui::boundText({9.2, {{1, -1}}}, 1, u"dot"_s),
            u"at least 9.2 (ring 2 has no sky; counted as one dot's share)"_s);
        QCOMPARE(ui::boundText({3.0, {{2, -1}, {3, -1}, {4, -1}}}, 2, u"pixel"_s),
            u"at least 3.00 (rings 3, 4 and 5 have no sky; each counted as one pixel's share)"_s);

        ui::CanopyWindow& canopy = app_->openCanopy(writeCanopyPhoto(dir_));
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

        // The export writes the bounds the table shows, never the floor's value
        // (the other columns of a bound are the CSV suite's).
        const test::Csv csv = app_->exportCanopy(canopy, dir_.filePath(u"exported.csv"_s));
        QCOMPARE(csv.field(0, u"le"_s).toDouble(), round6(pixels.leBound->atLeast));
        QCOMPARE(csv.field(0, u"le_dots"_s).toDouble(), round6(dots.leBound->atLeast));
    }

    // A grey photo is measured on its grey, whatever channel is chosen, and
    // the window says so; the choice itself stays the user's.
    void aGreyPhotoIsMeasuredOnItsGrey()
    {
        const QString path = dir_.filePath(u"grey.bmp"_s);
        const std::string bytes = test::greyBmp(96, 80, [](int x, int y) {
            return uint8_t((x - 48) * (x - 48) + (y - 40) * (y - 40) <= 30 * 30 ? (x + y) * 2 : 0);
        });
        QVERIFY(test::writeFile(path, QByteArray::fromStdString(bytes)));
        ui::CanopyWindow& canopy = app_->openCanopy(path);
        QCOMPARE(canopy.tracker().settings().channel, canopy::Channel::Grey);
        QCOMPARE(canopy.form().cmbChannel()->currentText(), u"Blue"_s);
        QCOMPARE(canopy.form().cmbChannel()->count(), 2);
        QVERIFY2(canopy.notes().contains(u"The photo is grey: it is measured on its grey values"_s),
            qPrintable(canopy.notes()));

        QVERIFY(app_->open(test::kSamplePhoto));
        QCOMPARE(canopy.tracker().settings().channel, canopy::Channel::Blue);
        QVERIFY(!canopy.notes().contains(u"The photo is grey"_s));
    }

    void everyNameIsExplained()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        const ui::CanopyFigureTable& table = canopy.table();
        for (const char* name :
            {"threshold", "openness", "DIFN", "Le", "L", "LX", "effective dots", "dots outside", "gf 1"})
            QVERIFY2(table.nameTip(QLatin1String(name)).size() > 20, name);
        QVERIFY(table.nameTip(u"Le"_s).contains(u"Effective leaf area index"_s));
        QVERIFY(table.nameTip(u"LX"_s).contains(u"Clumping index"_s));
        QVERIFY(table.text(u"dots (n)"_s, Column::kDots).isEmpty()); // no such name any more
    }

private:
    static double round6(double value) { return QString::number(value, 'f', 6).toDouble(); }

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestCanopyTrust)
#include "tst_canopy_trust.moc"
