#include "batch_dialog.h"

#include "batch_report.h"
#include "batch_run.h"
#include "dialog_seam.h"
#include "file_list_moves.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "same_record.h"
#include "screen_centre.h"
#include "settings_record.h"
#include "source_projection_list.h"
#include "view_mapping.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace karwen::ui {

BatchDialog::BatchDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBatch"));
    setWindowTitle(QStringLiteral("Batch Conversion"));
    form_ = new ParameterForm(this, ParameterForm::Sizing::Stretching,
        fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 8, 0, [this] { Apply(); });
    createColumns();
    run_ = new BatchDialogRun(this);
    connect(run_, &BatchDialogRun::starting, this, &BatchDialog::showProgress);
    connect(run_, &BatchDialogRun::fileFinished, this, &BatchDialog::showFilesDone);
    connect(run_, &BatchDialogRun::finished, this, &BatchDialog::runEnded);
    measure_ = new BatchMeasureRun(this);
    connect(
        measure_, &BatchMeasureRun::filesDone, this, [this](int done, int total) { showFilesDone(done, total, 0); });
    connect(measure_, &BatchMeasureRun::told, this, [this](const QString& line) { told_ << line; });
    connect(measure_, &BatchMeasureRun::finished, this, &BatchDialog::measureEnded);
    mainSource_ = {SrcPrm, RefX, RefY, SrcLens};
    photoOpen_ = isImage(hSrc);
    cmdUseOpenCircle_->setEnabled(photoOpen_);
    destinationAtLoad_ = destinationSide();
    Form_Load();
}

BatchDialog::DestinationSide BatchDialog::destinationSide() { return {DstPrm, DstW, DstH, Interp}; }

bool BatchDialog::DestinationSide::operator==(const DestinationSide& other) const
{
    return sameRecord(prm, other.prm) && width == other.width && height == other.height && interp == other.interp;
}

void BatchDialog::Form_Load()
{
    centreOnScreen(*this);
    SrcPrm.Cx = 256.0;
    SrcPrm.Cy = 256.0;
    SrcPrm.R = 256.0;
    SrcPrm.Alpha = 0.0;
    SrcPrm.Beta = 0.0;
    SrcPrm.Rot = 0.0;
    SrcPrm.Proj = kEquidistant;
    angle2ref();
    set_param();
    OutExt_ = QStringLiteral("JPG");
    cmbF_->setCurrentIndex(1);
    const QString here = QDir::toNativeSeparators(QDir::currentPath());
    txtFolderS_->setText(here);
    txtFolderD_->setText(here);
    ListImageFiles(lstS_, txtFolderS_->text());
    lblAll_->setText(QString::number(lstS_->count()));
}

void BatchDialog::set_param()
{
    form_->showGlobals();
    cmbS_->showGlobals();
    ParameterForm::select(cmbD_, ParameterForm::projectionItem(cmbD_, DstPrm.Proj));
    ParameterForm::select(cmbI_, Interp);
}

void BatchDialog::Apply() { (void)applyFields(); }

bool BatchDialog::applyFields()
{
    // No step of its own: the whole showing is the main window's "Batch".
    return form_->apply(this, kBatchBounds,
        {.undoStep = std::nullopt, .showFields = [this] { set_param(); }, .rebuildDestination = false});
}

void BatchDialog::ListImageFiles(QListWidget* list, const QString& folder)
{
    list->clear();
    std::vector<std::string> names;
    if (!listImageFiles(folder.toStdString(), names)) {
        dialogs().message(this, QStringLiteral("Cannot list the folder \"%1\".").arg(folder), QMessageBox::Warning);
        return;
    }
    for (const std::string& name : names)
        list->addItem(QString::fromStdString(name));
}

QString BatchDialog::BrowseFolder()
{
    return dialogs().folderDialog(this, QStringLiteral("Select Folder")).value_or(QString());
}

void BatchDialog::showSelectedCount() { lblSelected_->setText(QString::number(lstD_->count())); }

void BatchDialog::cmdBrowseS_Click()
{
    const QString folder = BrowseFolder();
    if (folder.isEmpty())
        return;
    txtFolderS_->setText(folder);
    showSourceFolder(folder);
}

void BatchDialog::useFolders(const QString& source, const QString& destination)
{
    txtFolderS_->setText(source);
    txtFolderD_->setText(destination);
    showSourceFolder(source);
}

void BatchDialog::showSourceFolder(const QString& folder)
{
    ListImageFiles(lstS_, folder);
    lblAll_->setText(QString::number(lstS_->count()));
    lstD_->clear();
    showSelectedCount();
}

bool BatchDialog::destinationWritable()
{
    const QString folder = txtFolderD_->text();
    // A folder that does not exist yet is offered, not refused.
    if (!folder.trimmed().isEmpty() && !QFileInfo(folder).exists() && !QFileInfo(folder).isSymLink()) {
        if (!dialogs().question(this, QStringLiteral("The folder \"%1\" does not exist. Create it?").arg(folder)))
            return false;
        if (!QDir().mkpath(folder)) {
            dialogs().message(
                this, QStringLiteral("Cannot create the folder \"%1\".").arg(folder), QMessageBox::Warning);
            return false;
        }
    }
    return writable(folder, destinationFolderProblem(folder.toStdString()));
}

bool BatchDialog::writable(const QString& folder, const std::string& problem)
{
    if (problem.empty())
        return true;
    dialogs().message(this,
        QStringLiteral("Cannot write the results into the folder \"%1\": %2.")
            .arg(folder, QString::fromStdString(problem)),
        QMessageBox::Warning);
    return false;
}

bool BatchDialog::settingsRecordAllows(const BatchJob& job, const BatchSettings& settings)
{
    const QString folder = QString::fromStdString(job.destFolder);
    const RecordCheck record = checkSettingsRecord(job.destFolder, planBatch(job), settings, job.replaceResults);
    if (record.otherSettings) {
        QStringList differences;
        for (const std::string& difference : record.differences)
            differences << QString::fromStdString(difference);
        dialogs().message(this,
            QStringLiteral("The results in the folder \"%1\" were made with other settings (%2). Tick \"Replace "
                           "results that exist\" to replace them, or choose another folder.")
                .arg(folder, differences.join(QStringLiteral("; "))),
            QMessageBox::Warning);
        return false;
    }
    recordAfterRun_.reset();
    if (record.recordAfterRun)
        recordAfterRun_ = LateRecord{job.destFolder, settings};
    if (!record.recordNow)
        return true;
    return writable(folder, recordSettings(job.destFolder, settings));
}

void BatchDialog::cmdUseOpenCircle_Click()
{
    if (!photoOpen_ || isRunning())
        return;
    SrcPrm.Cx = mainSource_.prm.Cx;
    SrcPrm.Cy = mainSource_.prm.Cy;
    SrcPrm.R = mainSource_.prm.R;
    // Through a lens the radius is that of the lens's 90-degree circle, so
    // the lens comes with it; an ideal projection leaves the dialog's own.
    if (mainSource_.prm.Proj == RixLensSource && mainSource_.lens) {
        SrcPrm.Proj = RixLensSource;
        SrcLens = mainSource_.lens;
    }
    // The view direction stays; its point on the photo moves with the circle.
    angle2ref();
    set_param();
}

void BatchDialog::cmdBrowseD_Click()
{
    const QString folder = BrowseFolder();
    if (!folder.isEmpty())
        txtFolderD_->setText(folder);
}

void BatchDialog::cmdAdd_Click()
{
    moveSelectedItems(*lstS_, *lstD_);
    showSelectedCount();
}

void BatchDialog::cmdRemove_Click()
{
    moveSelectedItems(*lstD_, *lstS_);
    showSelectedCount();
}

void BatchDialog::cmdAddAll_Click()
{
    lstS_->clear();
    ListImageFiles(lstD_, txtFolderS_->text());
    showSelectedCount();
}

void BatchDialog::cmdRemoveAll_Click()
{
    lstD_->clear();
    ListImageFiles(lstS_, txtFolderS_->text());
    showSelectedCount();
}

void BatchDialog::showProgress(const QString& text)
{
    lblProcess_->setText(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    emit progressShown(lblProcess_->text());
}

void BatchDialog::showFilesDone(int done, int count, int skipped)
{
    // Nothing to do (a continued CSV that holds every photo) is a full bar,
    // not Qt's busy one.
    progress_->setRange(0, std::max(count, 1));
    progress_->setValue(count > 0 ? done : 1);
    QString text = QStringLiteral("%1 of %2 files").arg(done).arg(count);
    if (skipped > 0)
        text += QStringLiteral(" (%1 skipped)").arg(skipped);
    // A skipped file takes no time: the pace is that of the others.
    const std::string left = batchTimeLeft(double(runClock_.elapsed()) / 1000.0, done - skipped, count - skipped);
    if (!left.empty())
        text += QStringLiteral(", ") + QString::fromStdString(left);
    progress_->setFormat(text);
}

void BatchDialog::setRunning(bool running)
{
    const QList<QWidget*> controls = content_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : controls) {
        if (control != lblProcess_ && control != progress_ && control != cmdStop_ && control != cmdCancel_)
            control->setEnabled(!running);
    }
    cmdUseOpenCircle_->setEnabled(!running && photoOpen_);
    cmdStart_->setVisible(!running);
    cmdStop_->setVisible(running);
    cmdStop_->setEnabled(running);
}

void BatchDialog::cmdStart_Click()
{
    if (isRunning())
        return;
    // A field left for the Start button is applied first; a refused value
    // keeps the run from starting with it.
    if (form_->applyPending() && !applyFields())
        return;
    if (lstD_->count() == 0) {
        dialogs().message(this, QStringLiteral("Select Files"), QMessageBox::NoIcon);
        return;
    }
    // Before the first photo: an unwritable folder would fail every one.
    if (!destinationWritable())
        return;

    BatchJob job;
    job.sourceFolder = txtFolderS_->text().toStdString();
    job.destFolder = txtFolderD_->text().toStdString();
    job.postfix = txtpostfix_->text().toStdString();
    job.outExt = OutExt_.toStdString();
    job.replaceResults = chkReplace_->isChecked();
    for (const QString& name : itemTexts(*lstD_))
        job.files.push_back(name.toStdString());
    // Copies: the windows may be used while the run goes.
    const BatchSettings settings{SrcPrm, DstPrm, DstW, DstH, Interp, chkFindCircle_->isChecked(), kJpegQuality, SrcLens,
        chkDecodeScaled_->isChecked()};
    if (!settingsRecordAllows(job, settings))
        return;

    setRunning(true);
    showFilesDone(0, lstD_->count(), 0);
    runClock_.start();
    (void)run_->start(std::move(job), settings, fileGate_);
}

void BatchDialog::cmdStop_Click()
{
    if (!isRunning())
        return;
    run_->stop();
    measure_->stop();
    cmdStop_->setEnabled(false);
    lblProcess_->setText(lblProcess_->text()
        + (measure_->isRunning() ? QStringLiteral("\nStopping once the photos in hand are measured.")
                                 : QStringLiteral("\nStopping after this file.")));
}

void BatchDialog::runEnded(const BatchOutcome& outcome)
{
    setRunning(false);
    progress_->setFormat(QStringLiteral("%1 of %2 files").arg(progress_->value()).arg(progress_->maximum())
        + (outcome.skipped() > 0 ? QStringLiteral(" (%1 skipped)").arg(outcome.skipped()) : QString()));
    const QString summary = QString::fromStdString(batchSummary(outcome));
    lblProcess_->setText(summary);
    QString report = QString::fromStdString(batchReport(outcome));
    const std::optional<LateRecord> late = std::exchange(recordAfterRun_, std::nullopt);
    if (late && outcome.converted > 0) {
        if (const std::string problem = recordSettings(late->folder, late->settings); !problem.empty())
            report += QStringLiteral("%1Cannot record the settings of the results in \"%2\": %3.")
                          .arg(report.isEmpty() ? QString() : QStringLiteral("\n\n"),
                              QString::fromStdString(late->folder), QString::fromStdString(problem));
    }
    // Not reported one by one: a single message once the run is over.
    if (!report.isEmpty())
        dialogs().message(this, summary + QStringLiteral("\n\n") + report, QMessageBox::Warning);
    afterRun();
}

void BatchDialog::afterRun()
{
    emit runFinished();
    if (const std::optional<int> result = std::exchange(closeWhenStopped_, std::nullopt))
        done(*result);
}

void BatchDialog::cmdCancel_Click() { reject(); }

void BatchDialog::done(int result)
{
    if (isRunning()) {
        if (closeWhenStopped_
            || !dialogs().question(this,
                QStringLiteral("A batch is running. Stop it once the "
                               "photo in hand is done, and close?")))
            return;
        closeWhenStopped_ = result;
        cmdStop_Click();
        return;
    }
    // A field edit still waiting for its focus-out Apply is dropped, as
    // Escape drops it: nothing of the dialog's may land after the handover.
    form_->settlePendingApply();
    if (!closed_) {
        closed_ = true;
        SrcPrm = mainSource_.prm;
        RefX = mainSource_.refX;
        RefY = mainSource_.refY;
        SrcLens = mainSource_.lens;
        if (!(destinationSide() == destinationAtLoad_))
            rebuildDestination();
        reset_src_param(false);
        src_update();
    }
    QDialog::done(result);
}

} // namespace karwen::ui
