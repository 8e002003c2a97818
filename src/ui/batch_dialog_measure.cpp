// The batch dialog's measuring run: its options from the dialog's state,
// what a CSV there already becomes, and the run's end.
#include "batch_dialog.h"

#include "batch_measure_plan.h"
#include "common_dialog.h"
#include "dialog_seam.h"
#include "file_list_moves.h"
#include "mdl_karwen.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <utility>

namespace karwen::ui {

void BatchDialog::useCanopySettings(const canopy::CanopySettings& settings, std::optional<canopy::LightRequest> light)
{
    canopySettings_ = settings;
    light_ = std::move(light);
}

void BatchDialog::cmdBrowseCsv_Click()
{
    CommonDialog cdl(this);
    const QString csv = txtCsv_->text().trimmed();
    cdl.FileName = csv.isEmpty() ? QDir(txtFolderS_->text()).filePath(QStringLiteral("canopy.csv")) : csv;
    cdl.DefaultExt = QStringLiteral(".csv");
    cdl.Filter = QStringLiteral("CSV (*.csv)|*.csv");
    cdl.FilterIndex = 1;
    cdl.Flags = 0; // a file there is continued, or replaced when the user agrees at the start
    if (cdl.ShowSave())
        txtCsv_->setText(QDir::toNativeSeparators(cdl.FileName));
}

void BatchDialog::cmdBrowseSky_Click()
{
    const QString folder = BrowseFolder();
    if (folder.isEmpty())
        return;
    txtSkyFolder_->setText(folder);
    chkSaveSky_->setChecked(true);
}

std::optional<cli::MeasureOptions> BatchDialog::measureOptions()
{
    // A field left for the button is applied first, as Start does.
    if (form_->applyPending() && !applyFields())
        return std::nullopt;
    if (lstD_->count() == 0) {
        dialogs().message(this, QStringLiteral("Select Files"), QMessageBox::NoIcon);
        return std::nullopt;
    }
    const QString csv = txtCsv_->text().trimmed();
    if (csv.isEmpty()) {
        dialogs().message(
            this, QStringLiteral("Choose the CSV file the figures go into (\"CSV file\")."), QMessageBox::Warning);
        return std::nullopt;
    }
    cli::MeasureOptions o;
    // A file there is continued, as results there are kept by a conversion;
    // replacing it loses rows that may have taken hours, so it is asked.
    // "Replace" replaces the sky images there too, as it does results.
    const QFileInfo file(csv);
    const bool there = file.exists() || file.isSymLink();
    if (!chkReplace_->isChecked())
        o.csvMode = there ? cli::CsvMode::Resume : cli::CsvMode::New;
    else if (!there
        || dialogs().question(
            this, QStringLiteral("The CSV file \"%1\" exists. Replace it, and lose its rows?").arg(csv)))
        o.csvMode = cli::CsvMode::Overwrite;
    else
        return std::nullopt;
    o.csvPath = csv.toStdString();
    const QDir folder(txtFolderS_->text());
    for (const QString& name : itemTexts(*lstD_))
        o.run.inputs.push_back(folder.filePath(name).toStdString());
    o.run.jobs = std::max(1, QThread::idealThreadCount());
    // The window opens a photo of any size its format allows; so does its run.
    o.run.maxPixels = 0;
    o.source = {SrcPrm, chkFindCircle_->isChecked(), SrcPrm.Proj == RixLensSource ? SrcLens : std::nullopt};
    o.settings = canopySettings_;
    o.light.request = light_;
    if (chkSaveSky_->isChecked()) {
        const QString sky = txtSkyFolder_->text().trimmed();
        o.classifiedFolder = (sky.isEmpty() ? defaultSkyFolder(csv) : sky).toStdString();
    }
    return o;
}

void BatchDialog::cmdMeasure_Click()
{
    if (isRunning())
        return;
    std::optional<cli::MeasureOptions> options = measureOptions();
    if (!options)
        return;
    told_.clear();
    setRunning(true);
    showFilesDone(0, lstD_->count(), 0);
    const QString csv = QString::fromStdString(options->csvPath);
    lblProcess_->setText(options->csvMode == cli::CsvMode::Resume
            ? QStringLiteral("Continuing %1: the photos it holds figures of are skipped.").arg(csv)
            : QStringLiteral("Measuring into %1.").arg(csv));
    runClock_.start();
    (void)measure_->start(std::move(*options), fileGate_);
}

void BatchDialog::measureEnded(int exitCode, const QString& summary)
{
    setRunning(false);
    QStringList lines;
    for (const QString& line : std::as_const(told_))
        lines << windowWords(line);
    // Refused before the first photo: the reason alone, which says that
    // nothing was measured.
    const bool refused = summary.isEmpty();
    lblProcess_->setText(refused ? QStringLiteral("Nothing was measured.") : summary);
    const QString told = lines.join(QLatin1Char('\n'));
    QString text = refused ? told : summary;
    if (!refused && !told.isEmpty())
        text += QStringLiteral("\n\n") + told;
    if (!told.isEmpty() || exitCode != 0)
        dialogs().message(this, text, QMessageBox::Warning);
    afterRun();
}

} // namespace karwen::ui
