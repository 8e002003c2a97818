#include "canopy_window.h"

#include "area_model.h"
#include "area_routines.h"
#include "canopy_csv.h"
#include "canopy_figure_table.h"
#include "canopy_panes.h"
#include "canopy_settings_form.h"
#include "common_dialog.h"
#include "dialog_seam.h"
#include "dot_gaps.h"
#include "dots_view.h"
#include "figure_words.h"
#include "file_messages.h"
#include "gap_polar_plot.h"
#include "light_figure_table.h"
#include "light_settings_form.h"
#include "mdl_karwen.h"
#include "photo_metadata.h"
#include "photo_source.h"
#include "pixel_view.h"
#include "projection_model.h"
#include "sky_image_save.h"
#include "sky_overlay.h"
#include "src_view.h"
#include "stored_settings.h"
#include "sun_track_marks.h"
#include "tool_window_font.h"
#include "undoable_step.h"
#include "value_histogram.h"
#include "window_registry.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace karwen::ui {

using canopy::DotStatus;
using canopy::PixelStatus;

namespace {

// A page holding the widget at its top.
QWidget* topAligned(QWidget* widget)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget);
    layout->addStretch(1);
    return page;
}

} // namespace

CanopyWindow::CanopyWindow(WindowRegistry& windows, QWidget* parent)
    : QWidget(parent)
    , windows_(windows)
    , sunTracks_([this](double photoAngleDeg) { return northDropped(photoAngleDeg); })
{
    setObjectName(QStringLiteral("frmCanopy"));
    setProperty("Tag", QString());
    setWindowTitle(QStringLiteral("Canopy"));
    setFont(toolWindowFont(font()));

    form_ = new CanopySettingsForm(this);
    lightForm_ = new LightSettingsForm(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabSettings"));
    // In a tab the forms take no more height than their fields.
    tabs_->addTab(topAligned(form_), QStringLiteral("Canopy"));
    tabs_->addTab(topAligned(lightForm_), QStringLiteral("Light"));
    tabs_->setTabToolTip(1, QStringLiteral("The light under the canopy: site, period, orientation and sky"));
    cmdClassify_ = new QPushButton(QStringLiteral("Classify dots"), this);
    cmdClassify_->setObjectName(QStringLiteral("cmdClassify"));
    cmdClassify_->setToolTip(QStringLiteral("Every dot to the gap class or to class 0 by the threshold; "
                                            "the brush then corrects"));
    cmdExport_ = new QPushButton(QStringLiteral("Export CSV..."), this);
    cmdExport_->setObjectName(QStringLiteral("cmdExport"));
    cmdExport_->setToolTip(QStringLiteral("Append these figures to a CSV file as one row"));
    cmdSaveSky_ = new QPushButton(QStringLiteral("Save sky image..."), this);
    cmdSaveSky_->setObjectName(QStringLiteral("cmdSaveSky"));
    chkShowSky_ = new QCheckBox(QStringLiteral("Show sky"), this);
    chkShowSky_->setObjectName(QStringLiteral("chkShowSky"));
    chkShowSky_->setToolTip(QStringLiteral("Tint on the source view the pixels counted as sky, inside the "
                                           "circle measured through"));
    table_ = new CanopyFigureTable(this);
    lightTable_ = new LightFigureTable(this);
    plot_ = new GapPolarPlot(this);
    histogram_ = new ValueHistogram(this);
    lblNotes_ = new QLabel(this);
    lblNotes_->setObjectName(QStringLiteral("lblNotes"));
    lblNotes_->setWordWrap(true);
    lblNotes_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblNotes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Many notes scroll rather than push the buttons away.
    auto* notes = new QScrollArea(this);
    notes->setFrameShape(QFrame::NoFrame);
    notes->setWidgetResizable(true);
    notes->setWidget(lblNotes_);

    // Settings, commands and notes; the table; the plot: side by side, so
    // that the window fits below the two views.
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdClassify_);
    buttons->addWidget(cmdExport_);
    buttons->addWidget(cmdSaveSky_);
    buttons->addWidget(chkShowSky_);
    auto* controls = new QWidget(this);
    auto* controlsLayout = new QVBoxLayout(controls);
    controlsLayout->setContentsMargins(0, 0, 0, 0);
    controlsLayout->addWidget(tabs_);
    controlsLayout->addLayout(buttons);
    controlsLayout->addWidget(notes, 1);
    auto* pictures = new QWidget(this);
    auto* picturesLayout = new QVBoxLayout(pictures);
    picturesLayout->setContentsMargins(0, 0, 0, 0);
    picturesLayout->addWidget(plot_, 3);
    picturesLayout->addWidget(histogram_, 2);
    panes_ = new CanopyPanes(controls, table_, lightTable_, pictures, this);
    // Made smaller than its parts (a small screen), the window scrolls them.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(panes_);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll_);

    connect(form_, &CanopySettingsForm::changed, this, &CanopyWindow::settings_Change);
    connect(lightForm_, &LightSettingsForm::changed, this, &CanopyWindow::light_Change);
    connect(cmdClassify_, &QPushButton::clicked, this, &CanopyWindow::cmdClassify_Click);
    connect(cmdExport_, &QPushButton::clicked, this, &CanopyWindow::cmdExport_Click);
    connect(cmdSaveSky_, &QPushButton::clicked, this, &CanopyWindow::cmdSaveSky_Click);
    connect(histogram_, &ValueHistogram::valueClicked, form_, &CanopySettingsForm::setFixedThreshold);
    connect(chkShowSky_, &QCheckBox::toggled, this, &CanopyWindow::showSkyTint);
    settings_Change();
}

QSize CanopyWindow::sizeHint() const { return scroll_->widget()->sizeHint(); }

void CanopyWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    panes_->fitWidth(width());
}

void CanopyWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    showSkyTint(); // taken away while hidden
}

void CanopyWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Hidden, the window keeps nothing up to date: the tint and the tracks
    // go with it.
    if (views::SrcView* src = windows_.srcIfLoaded()) {
        src->setSkyTint({});
        sunTracks_.hide(*src);
    }
}

void CanopyWindow::showSkyTint()
{
    views::SrcView* src = windows_.srcIfLoaded();
    if (!src)
        return;
    const auto& pixels = tracker_.pixels();
    if (!chkShowSky_->isChecked() || !isVisible() || !pixels || pixels->status != PixelStatus::Ok
        || !damage().empty()) {
        src->setSkyTint({});
        return;
    }
    const std::optional<canopy::PixelView> photo = canopy::pixelViewOf(hSrc);
    if (photo)
        src->setSkyTint(skyOverlay(tracker_.skyRuns(), photo->width, photo->height));
}

void CanopyWindow::showSunTracks()
{
    views::SrcView* src = windows_.srcIfLoaded();
    if (!src)
        return;
    // The tracks need the site and the period, not the figures.
    const std::optional<canopy::LightRequest> request = lightForm_->lastValid();
    if (!isVisible() || !lightForm_->showsSunTracks() || !request || !isImage(hSrc)) {
        sunTracks_.hide(*src);
        return;
    }
    sunTracks_.show(*src, *request, hSrc, source_.prm, lensOf(source_.prm, SrcLens));
}

bool CanopyWindow::northDropped(double photoAngleDeg)
{
    return lightForm_->setTopAzimuth(topAzimuthWithNorthAt(photoAngleDeg, lightForm_->orientation()));
}

void CanopyWindow::refresh()
{
    if (!isVisible())
        return; // shown again, it refreshes then
    source_ = measuredSource();
    const canopy::CanopyTracker::Refreshed refreshed
        = tracker_.refresh(hSrc, source_.prm, lensOf(source_.prm, SrcLens), {DstPrm, DstW, DstH}, DotClass);
    // What the last command did is told until the figures change.
    if (refreshed.pixels || refreshed.dots)
        actionNote_.clear();
    // A damaged photo shows only what could be read: its figures would
    // count the filler as sky or canopy.
    const bool damaged = !damage().empty();
    const canopy::PixelFigures* pixels = !damaged && tracker_.pixels() ? &*tracker_.pixels() : nullptr;
    const canopy::DotFigures* dots = !damaged && dotsSet() && tracker_.dots() ? &*tracker_.dots() : nullptr;
    const canopy::CanopySettings& settings = tracker_.settings();
    const bool measured = pixels && pixels->status == PixelStatus::Ok;
    if (refreshed.pixels || damaged) {
        if (measured) {
            plot_->setGaps(settings.rings, settings.sectors, settings.maxZenithDeg, pixels->sectorGap);
            histogram_->setValues(pixels->histogram, pixels->threshold);
        } else {
            plot_->clear();
            histogram_->clear();
        }
        showSkyTint();
    }
    table_->showFigures(pixels, dots, tracker_.dotOrigin(), settings.rings, settings.maxZenithDeg);
    if (!damaged && !dotsSet())
        table_->explainMissingDots(QStringLiteral("No dot is classified or painted yet: Classify the dots, or "
                                                  "paint them, or load an area file"));
    const auto& light = tracker_.light();
    lightTable_->showFigures(light && !damaged ? &light->figures : nullptr);
    plot_->setOrientation(lightForm_->orientation(), source_.prm.Rot);
    showSunTracks();
    cmdClassify_->setEnabled(measured);
    cmdExport_->setEnabled(measured || damaged);
    offerSkyImage(measured && !damaged);
    showNotes();
}

void CanopyWindow::offerSkyImage(bool measured)
{
    cmdSaveSky_->setEnabled(measured);
    const auto& pixels = tracker_.pixels();
    if (measured)
        cmdSaveSky_->setToolTip(QStringLiteral("Save the photo's pixels as the figures count them: white sky, black "
                                               "canopy, grey outside the circle measured through (a PNG)"));
    else if (const std::string why = damage(); !why.empty())
        cmdSaveSky_->setToolTip(
            QStringLiteral("No sky image: the photo is damaged (%1)").arg(QString::fromStdString(why)));
    else if (pixels && pixels->status != PixelStatus::Ok)
        cmdSaveSky_->setToolTip(QStringLiteral("No sky image without figures from the pixels: %1")
                                    .arg(QString::fromStdString(describe(pixels->status))));
    else
        cmdSaveSky_->setToolTip(QStringLiteral("No sky image: open a photo to measure its canopy"));
}

bool CanopyWindow::dotsSet() const { return areaDotsSet() || tracker_.dotOrigin() == canopy::DotOrigin::DotsView; }

std::string CanopyWindow::damage() const
{
    return isImage(hSrc) && !SrcDamage.empty() ? photoProblem(SrcFile, SrcDamage).reason : std::string();
}

void CanopyWindow::settings_Change()
{
    tracker_.setSettings(form_->settings());
    tracker_.setGapClass(form_->gapClass());
    refresh();
}

void CanopyWindow::light_Change()
{
    tracker_.setLight(lightForm_->request());
    refresh();
}

QStringList CanopyWindow::figureNotes() const
{
    if (!tracker_.pixels())
        return {QStringLiteral("Open a photo to measure its canopy.")};
    if (const std::string why = damage(); !why.empty())
        return {QStringLiteral("No figures: the photo is damaged (%1). Only what could be read is shown, and the "
                               "command line does not measure it either; Export writes its row with that error.")
                    .arg(QString::fromStdString(why))};
    return QStringList{circleNote()} + keptSettingNotes(*form_) + pixelNotes() + dotNotes() + lightNotes();
}

QStringList CanopyWindow::lightNotes() const
{
    QStringList notes;
    const auto& light = tracker_.light();
    if (lightForm_->lightOn() && !lightForm_->request())
        notes << QStringLiteral("No light figures yet: give the site and the period on the Light tab.");
    else if (lightForm_->lightOn() && !light && tracker_.pixels())
        notes << QStringLiteral("No light figures without figures from the pixels.");
    if (light) {
        const light::LightFigures& f = light->figures;
        if (std::isnan(f.dsf))
            notes << QStringLiteral("The sun does not rise in the period: there is no DSF, TSF, nor direct or total "
                                    "transmission.");
        if (f.beamCoverage < 0.9995 || f.diffuseCoverage < 0.9995)
            notes << QStringLiteral("The photo shows %1 % of the beam and %2 % of the diffuse light above the "
                                    "canopy; what it does not show counts as canopy.")
                         .arg(std::isfinite(f.beamCoverage) ? QString::number(f.beamCoverage * 100.0, 'f', 1)
                                                            : QStringLiteral("none"),
                             QString::number(f.diffuseCoverage * 100.0, 'f', 1));
    }
    if (!sunTracks_.days().empty()) {
        QStringList days;
        for (const light::Date& day : sunTracks_.days())
            days << QString::fromStdString(light::dateText(day));
        const double offset = lightForm_->lastValid()->settings.site.utcOffsetHours;
        notes << QStringLiteral("Sun tracks of %1; hour marks in local standard time (UTC%2%3).")
                     .arg(days.join(QStringLiteral(", ")), offset < 0 ? QStringLiteral("\u2212") : QStringLiteral("+"),
                         QString::number(std::abs(offset), 'g', 4));
    }
    return notes;
}

QStringList CanopyWindow::pixelNotes() const
{
    const auto& pixels = tracker_.pixels();
    if (pixels->status != PixelStatus::Ok)
        return {
            QStringLiteral("No figures from the pixels: %1.").arg(QString::fromStdString(describe(pixels->status)))};
    QStringList notes;
    if (tracker_.settings().channel == canopy::Channel::Grey)
        notes << QStringLiteral("The photo is grey: it is measured on its grey values, whatever channel is chosen.");
    if (pixels->partial)
        notes << QStringLiteral("The photo shows %1 % of the sky up to %2\u00B0; the figures from the pixels "
                                "cover that part.")
                     .arg(QString::number(pixels->coveredShare * 100.0, 'f', 1),
                         QString::number(tracker_.settings().maxZenithDeg, 'g', 3));
    if (pixels->leBound)
        notes << QStringLiteral("Le from the pixels: %1.").arg(boundText(*pixels->leBound, 2, QStringLiteral("pixel")));
    if (pixels->lBound)
        notes << QStringLiteral("L from the pixels: %1.").arg(boundText(*pixels->lBound, 2, QStringLiteral("pixel")));
    return notes;
}

QStringList CanopyWindow::dotNotes() const
{
    const auto& dots = tracker_.dots();
    if (!dots)
        return {};
    if (dots->status != DotStatus::Ok)
        return {QStringLiteral("No figures from the dots: %1.").arg(QString::fromStdString(describe(dots->status)))};
    if (!dotsSet())
        return {QStringLiteral("No figures from the dots yet: no dot is classified or painted. Classify the dots, "
                               "paint them, or load an area file.")};
    QStringList notes;
    if (tracker_.dotOrigin() == canopy::DotOrigin::DotsView) {
        notes << QStringLiteral("The dot figures are the command line's: the 1000 dots of an equisolid view of %1 "
                                "x %1 pixels made through the same circle, classified by the threshold %2, since %3.")
                     .arg(canopy::kDotsViewSide)
                     .arg(tracker_.pixels()->threshold)
                     .arg(fallbackReason());
    } else {
        const int gapClass = tracker_.gapClass();
        if (ClassCount[std::size_t(gapClass)] == 0)
            notes << QStringLiteral("No dot is in class %1 yet: classify the dots, or paint the sky.").arg(gapClass);
        else
            notes << QStringLiteral("Dots of class %1 count as sky.").arg(gapClass);
    }
    if (!dots->le)
        notes << QStringLiteral("No Le from the dots: %1.").arg(fallbackReason());
    else if (dots->leBound)
        notes << QStringLiteral("Le from the dots: %1.").arg(boundText(*dots->leBound, 2, QStringLiteral("dot")));
    return notes;
}

QString CanopyWindow::fallbackReason() const
{
    const auto& own = tracker_.destinationDots();
    if (!own)
        return {};
    if (own->status != DotStatus::Ok)
        return QString::fromStdString(describe(own->status));
    QStringList empty;
    for (std::size_t k = 0; k < own->ringDots.size(); ++k)
        if (own->ringDots[k] == 0)
            empty << QString::number(k + 1);
    const QString projection
        = isProjection(DstPrm.Proj) ? QString::fromStdString(ProjName[std::size_t(DstPrm.Proj)]).toLower() : QString();
    if (empty.size() == 1)
        return QStringLiteral("zenith ring %1 holds no dot of the %2 destination").arg(empty[0], projection);
    return QStringLiteral("zenith rings %1 hold no dot of the %2 destination")
        .arg(empty.join(QStringLiteral(", ")), projection);
}

QString CanopyWindow::circleNote() const
{
    const ProjectionRecord& c = source_.prm;
    const QString circle
        = QStringLiteral("centre %1, %2, radius %3")
              .arg(QString::number(c.Cx, 'f', 2), QString::number(c.Cy, 'f', 2), QString::number(c.R, 'f', 2));
    // Through a lens the found rim is where the lens's field ends, and R
    // the radius of its 90-degree circle.
    const bool lens = lensOf(c, SrcLens) != nullptr;
    const QString through
        = lens ? QStringLiteral("the lens %1 and ").arg(QString::fromStdString(SrcLens->name)) : QString();
    if (source_.detected)
        return QStringLiteral("Measured through %1the image circle found on the photo (%2), its rim the %3.")
            .arg(through, circle, lens ? QStringLiteral("edge of the lens's field") : QStringLiteral("horizon"));
    QString note = QStringLiteral("Measured through %1the window's source circle (%2).").arg(through, circle);
    if (srcCircleNotFound())
        note += srcCircleIsReset()
            ? QStringLiteral(" The image circle was not found on the photo; that circle is a default one.")
            : QStringLiteral(" The image circle was not found on the photo; that circle was fitted by hand.");
    return note;
}

void CanopyWindow::showNotes()
{
    QStringList notes = figureNotes();
    if (!actionNote_.isEmpty())
        notes << actionNote_;
    lblNotes_->setText(notes.join(QLatin1Char('\n')));
}

QString CanopyWindow::notes() const { return lblNotes_->text(); }

void CanopyWindow::cmdClassify_Click()
{
    refresh();
    const auto& pixels = tracker_.pixels();
    if (!pixels || pixels->status != PixelStatus::Ok || !mayDiscardArea(this))
        return;
    const UndoableStep step("Classify dots");
    const int16_t gapClass = tracker_.gapClass();
    // The dots are read through the circle the pixels were measured
    // through: the destination shows the window's circle, so through the
    // found one they are read from a conversion of their own.
    std::optional<canopy::DotReading> reading;
    if (source_.detected) {
        reading = canopy::classifyDotsOf(hSrc, source_.prm, lensOf(source_.prm, SrcLens), DstPrm, DstW, DstH,
            tracker_.settings(), pixels->threshold);
    } else {
        const auto view = canopy::pixelViewOf(hDst);
        const auto photo = canopy::photoSideOf(hSrc, SrcPrm);
        if (view && photo)
            reading = canopy::classifyDots(*view, DstPrm, *photo, tracker_.settings(), pixels->threshold);
    }
    if (!reading || !assignDotClasses(reading->gaps, gapClass)) {
        actionNote_ = QStringLiteral("The dots could not be read from the destination.");
        showNotes();
        return;
    }
    QString note = QStringLiteral("Dots classified by the threshold %1: %2 sky (class %3), %4 canopy (class 0)")
                       .arg(pixels->threshold)
                       .arg(ClassCount[std::size_t(gapClass)])
                       .arg(gapClass)
                       .arg(ClassCount[0] - reading->outside());
    if (reading->outside() > 0)
        note += QStringLiteral("; %1 fall off the photo (class 0, left out of the figures)").arg(reading->outside());
    windows_.showAreaClassTexts();
    // The brush corrects the gap class, on the dots shown.
    windows_.chooseAreaClass(gapClass);
    windows_.setAreaMeasuring(true);
    dst_update();
    actionNote_ = note + QLatin1Char('.');
    showNotes();
}

void CanopyWindow::cmdExport_Click()
{
    refresh();
    const auto& pixels = tracker_.pixels();
    const auto& dots = tracker_.dots();
    const std::string damaged = damage();
    if (damaged.empty() && (!pixels || pixels->status != PixelStatus::Ok || !dots))
        return;
    CommonDialog& cdl = windows_.fileDialog();
    cdl.FileName = !exportFile_.isEmpty()
        ? exportFile_
        : QFileInfo(QString::fromStdString(SrcFile)).dir().filePath(QStringLiteral("canopy.csv"));
    cdl.DefaultExt = QStringLiteral(".csv");
    cdl.Filter = QStringLiteral("CSV (*.csv)|*.csv");
    cdl.FilterIndex = 1;
    cdl.Flags = 0; // the row is appended, nothing is overwritten
    if (!cdl.ShowSave())
        return;
    const canopy::CanopySettings& settings = tracker_.settings();
    canopy::CanopyRow row;
    if (!damaged.empty()) {
        row = canopy::failedRow(SrcFile, damaged, settings);
    } else {
        row = canopy::canopyRow(
            SrcFile, settings, source_.prm, lensOf(source_.prm, SrcLens), *pixels, tracker_.dotProjection(), *dots);
        row.circle = source_.detected ? canopy::CircleOrigin::Detected : canopy::CircleOrigin::Window;
        row.lensName = lensNameOf(source_.prm, SrcLens);
        row.light = tracker_.light();
        row.metadata = files::readPhotoMetadata(SrcFile);
        if (!dotsSet())
            row.dots.reset(); // no dot looked at yet: no dot figures
    }
    const canopy::CsvAppend result
        = canopy::appendCsvRow(cdl.FileName.toStdString(), canopy::csvHeader(settings.rings), canopy::csvRow(row));
    const QString name = QFileInfo(cdl.FileName).fileName();
    if (result.written) {
        exportFile_ = cdl.FileName;
        actionNote_ = QStringLiteral("Row added to %1.").arg(name);
    } else {
        cdl.forgetChoice();
        actionNote_ = QStringLiteral("No row added to %1.").arg(name);
        dialogs().message(this,
            QStringLiteral("No row added to %1: %2.\nChoose another file, or the settings it was "
                           "written with.")
                .arg(name, QString::fromStdString(result.reason)),
            QMessageBox::Warning);
    }
    showNotes();
}

void CanopyWindow::cmdSaveSky_Click()
{
    refresh();
    if (!cmdSaveSky_->isEnabled())
        return;
    const canopy::SkyImage image = tracker_.skyImage();
    if (image.width == 0)
        return;
    const QString note = saveSkyImage(this, windows_.fileDialog(), image, QString::fromStdString(SrcFile));
    if (note.isEmpty())
        return;
    actionNote_ = note;
    showNotes();
}

} // namespace karwen::ui
