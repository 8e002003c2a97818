// frmCanopy: the canopy figures of the open photo, caption "Canopy". It
// holds the measurement's settings, a table of every figure from the
// photo's pixels beside the same from the sample dots of the destination,
// a polar plot of the gap fractions, "Classify dots", which gives the dots
// their classes by the threshold for the brush to correct, "Export
// CSV...", which appends the figures as one row of the command line's CSV,
// and "Save sky image...", which saves the pixels' classes as the command
// line's --save-classified does.
// "Show sky" tints the pixels the figures count as sky on the source view,
// and a histogram of the measured values marks the threshold; both follow
// every setting. A click on the histogram sets a fixed threshold there. When the destination's dots give no Le, the dot
// figures come from the command line's dots and the notes say so.
//
// The Light tab beside the canopy settings asks for the light under the
// canopy at a site over a period; its figures stand in a table of their
// own, follow every change as the canopy figures do and go into the
// exported row. "Show sun tracks" draws the sun's paths on the source view,
// where dragging the compass's N sets the photo's top azimuth. The polar
// plot turns so that its north is true north.
//
// A photo whose source circle is still the automatic one, found with
// confidence, is measured through the found circle, its rim the 90-degree
// horizon; otherwise through the window's source circle. The notes say
// which, and when the circle was not found.
//
// The figures follow the program: refresh is asked for whenever the
// destination is redrawn, the open image changes or the brush changes a
// dot, and measures again only what those changes touch (CanopyTracker).
// While the window is hidden, refresh waits until it is shown.
#pragma once

#include "canopy_tracker.h"
#include "mdl_karwen.h"
#include "source_sun_tracks.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace karwen::ui {

class WindowRegistry;
class CanopySettingsForm;
class CanopyFigureTable;
class CanopyPanes;
class GapPolarPlot;
class LightFigureTable;
class LightSettingsForm;
class ValueHistogram;

class CanopyWindow : public QWidget {
    Q_OBJECT
public:
    explicit CanopyWindow(WindowRegistry& windows, QWidget* parent = nullptr);

    // The figures, table, plot and notes brought up to date with the open
    // photo, its destination and the dots.
    void refresh();

    [[nodiscard]] const canopy::CanopyTracker& tracker() const { return tracker_; }
    [[nodiscard]] CanopySettingsForm& form() const { return *form_; }
    [[nodiscard]] CanopyFigureTable& table() const { return *table_; }
    [[nodiscard]] LightSettingsForm& lightForm() const { return *lightForm_; }
    [[nodiscard]] LightFigureTable& lightTable() const { return *lightTable_; }
    [[nodiscard]] QTabWidget* tabSettings() const { return tabs_; }
    [[nodiscard]] GapPolarPlot& plot() const { return *plot_; }
    [[nodiscard]] ValueHistogram& histogram() const { return *histogram_; }
    [[nodiscard]] QCheckBox* chkShowSky() const { return chkShowSky_; }
    [[nodiscard]] QPushButton* cmdClassify() const { return cmdClassify_; }
    [[nodiscard]] QPushButton* cmdExport() const { return cmdExport_; }
    [[nodiscard]] QPushButton* cmdSaveSky() const { return cmdSaveSky_; }
    [[nodiscard]] QString notes() const;
    // Room for every part; the window scrolls them when made smaller.
    [[nodiscard]] QSize sizeHint() const override;
    // The source side the figures were last measured through.
    [[nodiscard]] const MeasuredSource& source() const { return source_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // The parts side by side, or the tables below the rest, as the width
    // allows.
    void resizeEvent(QResizeEvent* event) override;

private:
    void settings_Change();
    void light_Change();
    void cmdClassify_Click();
    void cmdExport_Click();
    void cmdSaveSky_Click();
    // "Save sky image..." offered when there are figures, else why not.
    void offerSkyImage(bool measured);
    // The notes on the figures shown: missing parts of the sky, floors met,
    // figures that do not exist and why.
    [[nodiscard]] QStringList figureNotes() const;
    [[nodiscard]] QStringList pixelNotes() const;
    [[nodiscard]] QStringList dotNotes() const;
    [[nodiscard]] QStringList lightNotes() const;
    [[nodiscard]] QString circleNote() const;
    // Why the open photo is not measured: its pixel data is damaged, in the
    // words of the command line's error row; "" for a whole photo.
    [[nodiscard]] std::string damage() const;
    // Whether the dot figures read dots someone looked at: the destination's
    // once classified, painted or loaded, the command line's always.
    [[nodiscard]] bool dotsSet() const;
    // Why the destination's dots were set aside for the command line's.
    [[nodiscard]] QString fallbackReason() const;
    void showNotes();
    // The source view's tint brought in line with "Show sky".
    void showSkyTint();
    // The source view's sun tracks brought in line with "Show sun tracks".
    void showSunTracks();
    // A drag of the compass's N let go at this photo angle: the top azimuth
    // that puts north there; true when it changed.
    bool northDropped(double photoAngleDeg);

    WindowRegistry& windows_;
    canopy::CanopyTracker tracker_;
    MeasuredSource source_;
    CanopySettingsForm* form_ = nullptr;
    CanopyFigureTable* table_ = nullptr;
    LightSettingsForm* lightForm_ = nullptr;
    LightFigureTable* lightTable_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    SourceSunTracks sunTracks_;
    GapPolarPlot* plot_ = nullptr;
    ValueHistogram* histogram_ = nullptr;
    CanopyPanes* panes_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QCheckBox* chkShowSky_ = nullptr;
    QPushButton* cmdClassify_ = nullptr;
    QPushButton* cmdExport_ = nullptr;
    QPushButton* cmdSaveSky_ = nullptr;
    QLabel* lblNotes_ = nullptr;
    QString actionNote_; // what the last Classify or Export did
    QString exportFile_; // the CSV file last appended to
};

} // namespace karwen::ui
