// frmBatch: the batch conversion dialog, caption "Batch Conversion". The user
// picks a source and a destination folder, moves image files between "All
// Files" and "Selected Files", chooses the output format and postfix and
// edits the conversion parameters (the same globals as frmFormat, with the
// batch's own bounds); "Start" converts the selected files one by one on a
// thread of the run's own, with a progress bar, the time left and "Stop",
// which finishes the file in hand. A result already there is kept and
// counted as skipped unless "Replace results that exist" is ticked, so that
// Start after Stop resumes; the destination folder records the settings as
// the command line's convert does (settings_record.h), and a run with other
// settings over results there is refused before the first photo. Closing
// the dialog during a run asks to stop it first. Shown modal with exec(); constructing it runs Form_Load.
// The layout is in batch_dialog_layout.cpp.
//
// "Measure into a CSV file" measures the selected photos instead, through
// the command line's measure (batch_measure_run.h): the source side as the
// conversion reads it, the canopy window's settings, one row per photo in
// the CSV named, and the sky images too when "Save sky images" is ticked
// (batch_measure_plan.h names their folder when none is chosen). A CSV
// there already is continued, its photos with figures skipped, so that a
// second run after Stop goes on; with "Replace results that exist" it is
// replaced once the user agrees, and sky images there are replaced. Its
// part is in batch_dialog_measure.cpp.
//
// The destination side is the one the main window uses. The source side is
// the dialog's own while it is open: its load starts from a fixed circle,
// and closing it gives the main window back its source parameters, and a
// fresh result when the destination side changed meanwhile. The run never
// touches the main window's images or file names.
#pragma once

#include "batch_dialog_run.h"
#include "batch_measure_run.h"
#include "parameter_fields.h"
#include "parameter_form.h"

#include "canopy_settings.h"
#include "lens_catalogue.h"
#include "light_row.h"
#include "rix.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace karwen::ui {

class SourceProjectionList;

class BatchDialog : public QDialog {
    Q_OBJECT
public:
    explicit BatchDialog(QWidget* parent = nullptr);

    void set_param();
    void Apply();

    // The text box of an editable field.
    [[nodiscard]] QLineEdit* field(Field which) const { return form_->field(which); }
    [[nodiscard]] const QString& OutExt() const { return OutExt_; }

    // The folders of an earlier showing; the source one is listed.
    void useFolders(const QString& source, const QString& destination);

    // Handlers, public so that the dialog can be driven without a mouse.
    void cmdBrowseS_Click();
    void cmdBrowseD_Click();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdAddAll_Click();
    void cmdRemoveAll_Click();
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdCancel_Click();
    // Takes the centre and radius of the circle fitted in the main window.
    void cmdUseOpenCircle_Click();
    void cmdMeasure_Click();
    void cmdBrowseCsv_Click();
    void cmdBrowseSky_Click();

    // The canopy window's settings (and light, when it measures light),
    // which a measuring run takes; the canopy library's defaults until set.
    void useCanopySettings(const canopy::CanopySettings& settings, std::optional<canopy::LightRequest> light);
    [[nodiscard]] const canopy::CanopySettings& canopySettings() const { return canopySettings_; }
    [[nodiscard]] const std::optional<canopy::LightRequest>& lightRequest() const { return light_; }

    // Closing, by "Exit" or otherwise, gives the main window its source
    // parameters back and brings its result up to date. During a run it
    // asks first, then closes once the file in hand is finished.
    void done(int result) override;

    [[nodiscard]] bool isRunning() const { return run_->isRunning() || measure_->isRunning(); }
    // See BatchDialogRun::FileGate (a measuring run: BatchMeasureRun::AskGate);
    // for the runs started from now on.
    void setFileGate(BatchDialogRun::FileGate gate) { fileGate_ = std::move(gate); }

signals:
    // The progress label shows this text of the file now in hand.
    void progressShown(const QString& text);
    // A run has ended and its closing words are shown.
    void runFinished();

private:
    void Form_Load();
    void createColumns();
    // A parameters frame headed by its folder box and Browse button, named
    // txtFolder<side> and cmdBrowse<side>.
    ParameterForm::Frame newFolderFrame(const QString& title, const QString& frameName, const QString& side,
        QLineEdit*& folder, void (BatchDialog::*browse)());
    QGroupBox* createSourceFrame();
    QGroupBox* createDestinationFrame();
    // The CSV file and the sky images' folder of a measuring run, in a row
    // `width` twips wide.
    void createMeasureRow(int width);
    QPushButton* addButton(const QString& objectName, const QString& caption);
    // Places a control by its layout position and size in twips, scaled
    // with the font and moved in by the border.
    void place(QWidget* widget, int left, int top, int width, int height);
    [[nodiscard]] int px(int twips) const;
    // The controls scroll inside the dialog where the screen is smaller
    // than they are.
    void fitToScreen();
    // The screen's room for the dialog inside its window frame, in pixels.
    [[nodiscard]] QSize screenRoom() const;
    // How many twips the two file lists give up each so that the dialog
    // fits the screen's width at the present scale.
    [[nodiscard]] int listShrink() const;

    // Validates and stores the fields; false when a field was refused.
    bool applyFields();
    void ListImageFiles(QListWidget* list, const QString& folder);
    [[nodiscard]] QString BrowseFolder();
    void showSelectedCount();
    // Lists a source folder afresh: every file unselected.
    void showSourceFolder(const QString& folder);
    // Says so when no result can be written into the destination folder.
    bool destinationWritable();
    // Judges the folder's settings record against the run's, and records
    // them when the run may go on; says why it may not.
    bool settingsRecordAllows(const BatchJob& job, const BatchSettings& settings);
    // True for no problem; otherwise tells the user why the folder takes no results.
    bool writable(const QString& folder, const std::string& problem);
    void showProgress(const QString& text);
    // The files done, the skipped among them, and the time left at the pace
    // of those converted.
    void showFilesDone(int done, int count, int skipped);
    void runEnded(const BatchOutcome& outcome);
    // Everything but the run's own controls is disabled during a run.
    void setRunning(bool running);
    // What every run's end does last: the signal, and a close asked for.
    void afterRun();
    // The measuring run's options from the dialog; none when the user
    // cancelled or something was refused, already told.
    [[nodiscard]] std::optional<cli::MeasureOptions> measureOptions();
    void measureEnded(int exitCode, const QString& summary);

    ParameterForm* form_ = nullptr; // the editable fields
    SourceProjectionList* cmbS_ = nullptr;
    QComboBox* cmbD_ = nullptr;
    QComboBox* cmbI_ = nullptr;
    QComboBox* cmbF_ = nullptr;
    QLineEdit* txtFolderS_ = nullptr;
    QLineEdit* txtFolderD_ = nullptr;
    QLineEdit* txtpostfix_ = nullptr;
    QListWidget* lstS_ = nullptr;
    QListWidget* lstD_ = nullptr;
    QLabel* lblAll_ = nullptr;
    QLabel* lblSelected_ = nullptr;
    QLabel* lblProcess_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdUseOpenCircle_ = nullptr;
    QCheckBox* chkFindCircle_ = nullptr;
    QCheckBox* chkReplace_ = nullptr;
    QCheckBox* chkDecodeScaled_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLineEdit* txtCsv_ = nullptr;
    QPushButton* cmdMeasure_ = nullptr;
    QCheckBox* chkSaveSky_ = nullptr;
    QLineEdit* txtSkyFolder_ = nullptr;

    BatchDialogRun* run_ = nullptr;
    BatchMeasureRun* measure_ = nullptr;
    canopy::CanopySettings canopySettings_{};
    std::optional<canopy::LightRequest> light_;
    QStringList told_; // the measuring run's failures and notes
    BatchDialogRun::FileGate fileGate_;
    QElapsedTimer runClock_;
    std::optional<int> closeWhenStopped_; // the result to close with
    // A folder of results from before settings were recorded: the run's
    // settings are recorded there once it has converted a photo.
    struct LateRecord {
        std::string folder;
        BatchSettings settings;
    };
    std::optional<LateRecord> recordAfterRun_;

    // The main window's source side, given back on closing.
    struct SourceSide {
        ProjectionRecord prm;
        float refX, refY;
        std::optional<NamedLens> lens;
    };
    // The shared destination side as the dialog found it.
    struct DestinationSide {
        ProjectionRecord prm;
        int32_t width, height, interp;
        [[nodiscard]] bool operator==(const DestinationSide& other) const;
    };
    [[nodiscard]] static DestinationSide destinationSide();
    SourceSide mainSource_{};
    bool photoOpen_ = false; // the main window shows a photo
    DestinationSide destinationAtLoad_{};
    bool closed_ = false;

    QString OutExt_;
    double scale_ = 1.0;         // pixels per 15 twips, grown with the font
    QWidget* content_ = nullptr; // every control, in a scroll area on small screens
};

} // namespace karwen::ui
