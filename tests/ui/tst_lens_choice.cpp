// The source list's lenses in the running program and in the batch dialog:
// a lens picked converts through it, a lens file is read through the
// scripted file dialog or refused with its reason, the list names the lens
// in use, the reference point and the canopy window follow the lens, a new
// photo starts equidistant, and a batch converts through it.
#include "area_app_fixture.h"
#include "batch_dialog_support.h"
#include "parameter_form.h"
#include "pixel_figures.h"
#include "pixel_view.h"
#include "source_projection_list.h"

#include <cmath>
#include <numbers>

using namespace karwen;
using namespace Qt::StringLiterals;
using namespace std::string_literals;

namespace {

constexpr double kPi = std::numbers::pi;

// rho = 0.8 t + c t^3 with rho(pi / 2) = 1, seeing 100 degrees: far enough
// from every ideal projection that a conversion shows which was used.
const double kCubic = (1.0 - 0.8 * kPi / 2) / std::pow(kPi / 2, 3);

QByteArray wideLensText()
{
    return QStringLiteral("name: wide-test\nhalf_fov: 100\na1: 0.8\na3: %1\n").arg(kCubic, 0, 'g', 17).toUtf8();
}

// The destination as the library makes it from the open photo through the
// lens given (or through SrcPrm's own projection without one).
QImage expectedDestination(const RixLens* lens, int32_t proj)
{
    ProjectionRecord src = SrcPrm;
    src.Proj = proj;
    const int32_t made = RixCreate(DstW, DstH);
    const int32_t ok = lens ? RixSDeformLens(hSrc, made, &src, lens, &DstPrm, Interp)
                            : RixSDeform(hSrc, made, &src, &DstPrm, Interp);
    QImage image = ok == 1 ? test::pixelsOf(made) : QImage();
    (void)RixDestroy(made);
    return image;
}

} // namespace

class TestLensChoice : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(test::writeFile(lensFile(), wideLensText()));
        QVERIFY(test::writeFile(dir_.filePath(u"bad.lens"_s), "half_fov: 90\nfocal: 8\n"));
        app_ = std::make_unique<test::AreaApp>();
    }
    void cleanup() { app_.reset(); }

    void pickedLensConvertsThroughIt()
    {
        QVERIFY(app_->open(photo(u"a.bmp"_s, {640, 480})));
        ui::SourceProjectionList& list = cmbS();
        const NamedLens& builtIn = builtInLenses().back();
        list.setCurrentIndex(list.lensItem(builtIn));
        QCOMPARE(SrcPrm.Proj, RixLensSource);
        QCOMPARE(SrcLens->name, builtIn.name);
        QCOMPARE(list.currentText(), QString::fromStdString(builtIn.name));
        QCOMPARE(test::pixelsOf(hDst), expectedDestination(&builtIn.lens, RixLensSource));

        app_->dialogs.files = {lensFile()};
        const std::size_t asked = app_->dialogs.requests.size();
        list.setCurrentIndex(list.openFileItem());
        QCOMPARE(app_->dialogs.requests.size(), asked + 1);
        QCOMPARE(SrcLens->name, "wide-test"s);
        QCOMPARE(list.currentText(), u"wide-test"_s);
        const QImage throughLens = expectedDestination(&SrcLens->lens, RixLensSource);
        QCOMPARE(test::pixelsOf(hDst), throughLens);
        QVERIFY(throughLens != expectedDestination(nullptr, kEquidistant));

        // A projection picked again keeps the lens, and the globals bring
        // it back into the list.
        list.setCurrentIndex(ui::ParameterForm::projectionItem(&list, kStereographic));
        QCOMPARE(SrcPrm.Proj, kStereographic);
        QCOMPARE(test::pixelsOf(hDst), expectedDestination(nullptr, kStereographic));
        QCOMPARE(SrcLens->name, "wide-test"s);
        SrcPrm.Proj = RixLensSource;
        app_->app.windows().frmFormat().set_param();
        QCOMPARE(list.currentText(), u"wide-test"_s);
        QCOMPARE(test::pixelsOf(hDst), throughLens);
    }

    void refusedOrCancelledFileLeavesTheChoice()
    {
        QVERIFY(app_->open(photo(u"a.bmp"_s, {640, 480})));
        ui::SourceProjectionList& list = cmbS();
        const int builtIn = list.lensItem(builtInLenses().front());
        list.setCurrentIndex(builtIn);
        const ProjectionRecord before = SrcPrm;
        const QImage shown = test::pixelsOf(hDst);
        app_->dialogs.files = {dir_.filePath(u"bad.lens"_s), std::nullopt};
        for (int attempt = 0; attempt < 2; ++attempt) {
            list.setCurrentIndex(list.openFileItem());
            QCOMPARE(list.currentIndex(), builtIn);
            QVERIFY(test::sameBits(SrcPrm, before));
            QCOMPARE(SrcLens->name, builtInLenses().front().name);
            QCOMPARE(test::pixelsOf(hDst), shown);
        }
        // The refusal once, with its reason; the cancel says nothing.
        QCOMPARE(app_->dialogs.messages, QStringList{u"The lens file cannot be used."_s});
        QVERIFY2(
            app_->dialogs.details[0].contains(u"line 2: unknown key 'focal'"_s), qPrintable(app_->dialogs.details[0]));
    }

    // The reference point looks through the lens; a new photo starts
    // equidistant again.
    void referencePointLooksThroughTheLensUntilANewPhoto()
    {
        QVERIFY(app_->open(photo(u"a.bmp"_s, {640, 480})));
        app_->dialogs.files = {lensFile()};
        cmbS().setCurrentIndex(cmbS().openFileItem());
        QCOMPARE(SrcPrm.Proj, RixLensSource);
        // The point where the lens puts 60 degrees to the right.
        const double t = kPi / 3, rho = 0.8 * t + kCubic * t * t * t;
        ui::FormatWindow& format = app_->app.windows().frmFormat();
        format.field(Field::RefPointX)->setText(QString::number(SrcPrm.Cx + SrcPrm.R * rho, 'f', 2));
        format.field(Field::RefPointY)->setText(QString::number(SrcPrm.Cy, 'f', 2));
        format.Apply();
        QVERIFY(app_->dialogs.messages.isEmpty());
        // Two decimals of a point about 1.6 pixels per degree from the axis.
        QVERIFY2(std::fabs(SrcPrm.Alpha - 60.0) < 0.01, qPrintable(QString::number(SrcPrm.Alpha)));
        QVERIFY2(std::fabs(SrcPrm.Beta) < 0.01, qPrintable(QString::number(SrcPrm.Beta)));

        QVERIFY(app_->open(photo(u"b.bmp"_s, {800, 600})));
        QCOMPARE(SrcPrm.Proj, kEquidistant);
        QCOMPARE(cmbS().currentText(), u"Equidistant"_s);
        QCOMPARE(SrcLens->name, "wide-test"s); // still there to pick again
        QCOMPARE(test::pixelsOf(hDst), expectedDestination(nullptr, kEquidistant));
    }

    void canopyWindowMeasuresThroughTheLens()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        QVERIFY(canopy.tracker().pixels());
        const double asEquidistant = canopy.tracker().pixels()->openness;
        app_->dialogs.files = {lensFile()};
        cmbS().setCurrentIndex(cmbS().openFileItem());
        QVERIFY(canopy.tracker().pixels());
        const canopy::PixelFigures direct = canopy::measurePixels(
            *canopy::pixelViewOf(hSrc), canopy.source().prm, &SrcLens->lens, canopy.tracker().settings());
        QCOMPARE(canopy.tracker().pixels()->openness, direct.openness);
        QVERIFY2(std::fabs(direct.openness - asEquidistant) > 1e-3, qPrintable(QString::number(direct.openness)));
        QVERIFY(canopy.cmdExport()->isEnabled());
        QVERIFY(canopy.notes().startsWith(u"Measured through the lens %1 and the image circle found on the photo"_s.arg(
            QString::fromStdString(SrcLens->name))));
        QVERIFY(canopy.notes().contains(u"its rim the edge of the lens's field."_s));
    }

    void batchConvertsThroughTheChosenLens()
    {
        app_.reset(); // the batch suites' globals, without the main window
        test::BatchFolders folders;
        const test::Disc disc{256, 256, 200};
        test::writeImage(folders.in(u"p.bmp"_s), 512, 512, &disc);
        DstW = DstH = 200;
        DstPrm = {100, 100, 100, 0, 0, 0, kEquisolidangle};
        SrcLens = readLensFile(lensFile().toStdString(), nullptr); // kept beside a projection
        QVERIFY(SrcLens);
        const auto dialog = folders.dialog();
        auto* list = test::child<ui::SourceProjectionList>(*dialog, u"cmbS"_s);
        QCOMPARE(list->currentText(), u"Equidistant"_s);
        QVERIFY(list->findText(QString::fromStdString(SrcLens->name)) > list->findText(u"Stereographic"_s));
        folders.dialogs.files = {lensFile()};
        list->setCurrentIndex(list->openFileItem());
        QCOMPARE(list->currentText(), u"wide-test"_s);
        test::child<QComboBox>(*dialog, u"cmbF"_s)->setCurrentIndex(0);
        dialog->cmdAddAll_Click();
        QVERIFY(test::runToTheEnd(*dialog));
        QVERIFY2(folders.dialogs.messages.isEmpty(), qPrintable(folders.dialogs.messages.join('\n')));

        const RixLens lens = SrcLens->lens;
        const int32_t photo = RixLoadBMP(folders.in(u"p.bmp"_s).toUtf8().constData());
        const int32_t result = RixLoadBMP(QDir(folders.out()).filePath(u"p-kw.bmp"_s).toUtf8().constData());
        const int32_t expected = RixCreate(DstW, DstH);
        QCOMPARE(RixSDeformLens(photo, expected, &SrcPrm, &lens, &DstPrm, Interp), 1);
        QCOMPARE(test::pixelsOf(result), test::pixelsOf(expected));
        ProjectionRecord ideal = SrcPrm;
        ideal.Proj = kEquidistant;
        QCOMPARE(RixSDeform(photo, expected, &ideal, &DstPrm, Interp), 1);
        QVERIFY(test::pixelsOf(result) != test::pixelsOf(expected));
        for (const int32_t h : {photo, result, expected})
            (void)RixDestroy(h);
    }

private:
    [[nodiscard]] QString lensFile() const { return dir_.filePath(u"wide.lens"_s); }
    [[nodiscard]] ui::SourceProjectionList& cmbS() const
    {
        return *test::child<ui::SourceProjectionList>(app_->app.windows().frmFormat(), u"cmbS"_s);
    }
    // A fisheye-like disc with spots at several distances from its centre,
    // so that each radial model puts them elsewhere.
    [[nodiscard]] QString photo(const QString& name, QSize size) const
    {
        const QPointF c(size.width() / 2.0, size.height() / 2.0);
        const double r = std::min(size.width(), size.height()) / 2.0 - 10;
        return test::writePicture(dir_, name, size, Qt::black,
            {{c, r, QColor(120, 160, 230)}, {c + QPointF(0.7 * r, 0), 0.15 * r, Qt::red},
                {c + QPointF(0, -0.45 * r), 0.1 * r, Qt::yellow}, {c + QPointF(-0.9 * r, 0), 0.08 * r, Qt::green}});
    }

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestLensChoice)
#include "tst_lens_choice.moc"
