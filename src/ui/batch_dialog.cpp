#include "batch_dialog.h"

#include "batch_report.h"
#include "batch_run.h"
#include "busy_guard.h"
#include "dialog_seam.h"
#include "file_list_moves.h"
#include "mdl_karwen.h"
#include "screen_centre.h"
#include "view_mapping.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cstring>

namespace karwen::ui {

namespace {

// The dialog is laid out in twips, 15 to the pixel at 96 dpi, for an 8-point
// system font 13 pixels high; a larger font grows the whole dialog (scale_).
constexpr double kDesignFontHeight = 13.0;
// place() moves every position in by this border (in twips; half of it at
// the top), which keeps the frames off the window's edge.
constexpr int kBorder = 120;
constexpr int kClientWidth = 11040 + 2 * kBorder;
constexpr int kClientHeight = 5520 + kBorder;
constexpr int kFrameWidth = 2160;
constexpr int kFrameHeight = 4800;

} // namespace

BatchDialog::BatchDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBatch"));
    setWindowTitle(QStringLiteral("Batch Conversion"));
    form_ = new ParameterForm(this, ParameterForm::Sizing::Stretching,
                              fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 8, 0,
                              [this] { Apply(); });
    createColumns();
    setFixedSize(px(kClientWidth), px(kClientHeight));
    mainSource_ = {SrcPrm, RefX, RefY};
    destinationAtLoad_ = destinationSide();
    Form_Load();
}

BatchDialog::DestinationSide BatchDialog::destinationSide() { return {DstPrm, DstW, DstH, Interp}; }

bool BatchDialog::DestinationSide::operator==(const DestinationSide& other) const
{
    return std::memcmp(&prm, &other.prm, sizeof prm) == 0 && width == other.width && height == other.height &&
           interp == other.interp;
}

int BatchDialog::px(int twips) const { return qRound(twips * scale_ / double(kTwipsPerPixel)); }

void BatchDialog::place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setParent(this);
    widget->setGeometry(px(kBorder + left), px(kBorder / 2 + top), px(width), px(height));
}

QPushButton* BatchDialog::addButton(const QString& objectName, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    // Enter in a parameter field must not press some button of the dialog.
    button->setAutoDefault(false);
    return button;
}

void BatchDialog::createColumns()
{
    // The dialog grows with the font, and further until both parameter
    // frames fit their columns.
    QGroupBox* source = createSourceFrame();
    QGroupBox* destination = createDestinationFrame();
    scale_ = std::max(1.0, fontMetrics().height() / kDesignFontHeight);
    for (const QGroupBox* frame : {source, destination}) {
        const QSize need = frame->minimumSizeHint();
        scale_ = std::max({scale_, need.width() * double(kTwipsPerPixel) / kFrameWidth,
                           need.height() * double(kTwipsPerPixel) / kFrameHeight});
    }

    // Column 1: the source folder and the source parameters.
    place(source, 0, 0, kFrameWidth, kFrameHeight);

    // Column 2: the files not yet selected.
    lstS_ = new QListWidget;
    lstS_->setObjectName(QStringLiteral("lstS"));
    lstS_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    place(lstS_, 2280, 120, 2535, 4680);

    // Column 3: the moves, the counts and Start.
    auto* cmdAdd = addButton(QStringLiteral("cmdAdd"), QStringLiteral("Add"));
    auto* cmdAddAll = addButton(QStringLiteral("cmdAddAll"), QStringLiteral("Add All"));
    auto* cmdRemove = addButton(QStringLiteral("cmdRemove"), QStringLiteral("Remove"));
    auto* cmdRemoveAll = addButton(QStringLiteral("cmdRemoveAll"), QStringLiteral("Remove All"));
    place(cmdAdd, 4920, 120, 1215, 375);
    place(cmdAddAll, 4920, 720, 1215, 375);
    place(cmdRemove, 4920, 1560, 1215, 375);
    place(cmdRemoveAll, 4920, 2160, 1215, 375);
    place(new QLabel(QStringLiteral("All Files")), 4920, 3240, 1215, 240);
    lblAll_ = new QLabel(QStringLiteral("0"));
    lblAll_->setObjectName(QStringLiteral("lblAll"));
    place(lblAll_, 4920, 3480, 1215, 240);
    place(new QLabel(QStringLiteral("Selected Files")), 4920, 3840, 1215, 240);
    lblSelected_ = new QLabel(QStringLiteral("0"));
    lblSelected_->setObjectName(QStringLiteral("lblSelected"));
    place(lblSelected_, 4920, 4080, 1215, 240);
    cmdStart_ = addButton(QStringLiteral("cmdStart"), QStringLiteral("Start"));
    place(cmdStart_, 4920, 4920, 1215, 375);

    // Column 4: the selected files and the progress.
    lstD_ = new QListWidget;
    lstD_->setObjectName(QStringLiteral("lstD"));
    lstD_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    place(lstD_, 6240, 120, 2535, 4680);
    lblProcess_ = new QLabel(QStringLiteral("Select Files."));
    lblProcess_->setObjectName(QStringLiteral("lblProcess"));
    lblProcess_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(lblProcess_, 6240, 4880, 2535, 600);

    // Under the source frame and the file list: it concerns the photos.
    chkFindCircle_ = new QCheckBox(QStringLiteral("Find the circle in each photo"));
    chkFindCircle_->setObjectName(QStringLiteral("chkFindCircle"));
    chkFindCircle_->setToolTip(QStringLiteral("Each photo's own centre and radius; "
                                              "projection, tilt and view direction as set here"));
    place(chkFindCircle_, 0, 4920, 4815, 375);

    // Column 5: the destination folder, format, postfix and parameters.
    place(destination, 8880, 0, kFrameWidth, kFrameHeight);
    auto* cmdCancel = addButton(QStringLiteral("cmdCancel"), QStringLiteral("Exit"));
    place(cmdCancel, 8880 + 2160 - 1215, 4920, 1215, 375);

    connect(cmdAdd, &QPushButton::clicked, this, &BatchDialog::cmdAdd_Click);
    connect(cmdAddAll, &QPushButton::clicked, this, &BatchDialog::cmdAddAll_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &BatchDialog::cmdRemove_Click);
    connect(cmdRemoveAll, &QPushButton::clicked, this, &BatchDialog::cmdRemoveAll_Click);
    connect(cmdStart_, &QPushButton::clicked, this, &BatchDialog::cmdStart_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &BatchDialog::cmdCancel_Click);
}

ParameterForm::Frame BatchDialog::newFolderFrame(const QString& title, const QString& frameName,
                                                 const QString& side, QLineEdit*& folder,
                                                 void (BatchDialog::*browse)())
{
    const ParameterForm::Frame frame = form_->newFrame(title, frameName);
    folder = new QLineEdit;
    folder->setObjectName(QStringLiteral("txtFolder") + side);
    form_->addListRow(frame.grid, 0, QStringLiteral("Folder"), folder);
    auto* cmdBrowse = addButton(QStringLiteral("cmdBrowse") + side, QStringLiteral("Browse"));
    frame.grid->addWidget(cmdBrowse, 2, 2, 1, 2);
    connect(cmdBrowse, &QPushButton::clicked, this, browse);
    return frame;
}

QGroupBox* BatchDialog::createSourceFrame()
{
    const auto [frame, grid] = newFolderFrame(QStringLiteral("Source Image"), QStringLiteral("frmSrc"),
                                              QStringLiteral("S"), txtFolderS_,
                                              &BatchDialog::cmdBrowseS_Click);
    form_->addSourceFields(grid, 3);
    cmbS_ = form_->newList(QStringLiteral("cmbS"), ParameterForm::sourceProjections());
    form_->addListRow(grid, 6, QStringLiteral("Projection"), cmbS_);
    grid->setRowStretch(8, 1);

    connect(cmbS_, &QComboBox::currentIndexChanged, this, [](int index) {
        if (index >= 0)
            SrcPrm.Proj = index;
    });
    return frame;
}

QGroupBox* BatchDialog::createDestinationFrame()
{
    const auto [frame, grid] = newFolderFrame(QStringLiteral("Destination Image"), QStringLiteral("frmDst"),
                                              QStringLiteral("D"), txtFolderD_,
                                              &BatchDialog::cmdBrowseD_Click);

    // Format and postfix share a row each with their caption.
    grid->addWidget(form_->newLabel(QStringLiteral("File Format")), 3, 0, 1, 2);
    cmbF_ = form_->newList(QStringLiteral("cmbF"), {QStringLiteral("bmp"), QStringLiteral("jpg")});
    grid->addWidget(cmbF_, 3, 2, 1, 2);
    grid->addWidget(form_->newLabel(QStringLiteral("Postfix")), 4, 0, 1, 2);
    txtpostfix_ = new QLineEdit(QStringLiteral("-kw"));
    txtpostfix_->setObjectName(QStringLiteral("txtpostfix"));
    grid->addWidget(txtpostfix_, 4, 2, 1, 2);

    form_->addDestinationFields(grid, 5);
    cmbD_ = form_->newList(QStringLiteral("cmbD"), ParameterForm::destinationProjections());
    form_->addListRow(grid, 8, QStringLiteral("Projection"), cmbD_);
    cmbI_ = form_->newList(QStringLiteral("cmbI"), ParameterForm::interpolations());
    form_->addListRow(grid, 10, QStringLiteral("Interpolation"), cmbI_);
    grid->setRowStretch(12, 1);

    connect(cmbD_, &QComboBox::currentIndexChanged, this, [](int index) {
        if (index >= 0)
            DstPrm.Proj = index;
    });
    connect(cmbI_, &QComboBox::currentIndexChanged, this, [](int index) {
        if (index >= 0)
            Interp = index;
    });
    connect(cmbF_, &QComboBox::currentIndexChanged, this, [this] { OutExt_ = cmbF_->currentText(); });
    return frame;
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
    SrcPrm.Proj = 2; // Equidistant
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
    ParameterForm::select(cmbS_, SrcPrm.Proj);
    ParameterForm::select(cmbD_, DstPrm.Proj);
    ParameterForm::select(cmbI_, Interp);
}

void BatchDialog::Apply() { (void)applyFields(); }

bool BatchDialog::applyFields()
{
    form_->settlePendingApply();
    if (!isEnabled())
        return true;
    const auto guard = form_->applyingGuard();

    const std::optional<bool> changed = form_->readIntoGlobals(this, kBatchBounds);
    if (!changed.has_value()) // an invalid field, already reported
        return false;
    set_param();
    if (*changed)
        ref2angle();
    return true;
}

void BatchDialog::ListImageFiles(QListWidget* list, const QString& folder)
{
    list->clear();
    std::vector<std::string> names;
    if (!listImageFiles(folder.toStdString(), names)) {
        dialogs().message(this, QStringLiteral("Cannot list the folder \"%1\".").arg(folder),
                          QMessageBox::Warning);
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
    ListImageFiles(lstS_, folder);
    lblAll_->setText(QString::number(lstS_->count()));
    lstD_->clear();
    lblSelected_->setText(QStringLiteral("0"));
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
    // The run does not return to the event loop: only this label is
    // repainted between files.
    lblProcess_->setText(text);
    lblProcess_->repaint();
    emit progressShown(text);
}

void BatchDialog::cmdStart_Click()
{
    // A field left for the Start button is applied first; a refused value
    // keeps the run from starting with it.
    if (form_->applyPending() && !applyFields())
        return;
    if (lstD_->count() == 0) {
        dialogs().message(this, QStringLiteral("Select Files"), QMessageBox::NoIcon);
        return;
    }

    BatchJob job;
    job.sourceFolder = txtFolderS_->text().toStdString();
    job.destFolder = txtFolderD_->text().toStdString();
    job.postfix = txtpostfix_->text().toStdString();
    job.outExt = OutExt_.toStdString();
    for (const QString& name : itemTexts(*lstD_))
        job.files.push_back(name.toStdString());

    const BatchSettings settings{SrcPrm, DstPrm, DstW, DstH, Interp, chkFindCircle_->isChecked()};

    BatchOutcome outcome;
    {
        const BusyGuard busy(cmdStart_);
        repaint();
        outcome = runBatch(job, settings, [this](const std::string& text) {
            showProgress(QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
        });
        showProgress(QStringLiteral("Completed."));
    }
    // Not reported one by one: a single message once the run is over.
    if (!outcome.allWell())
        dialogs().message(this, QString::fromStdString(batchReport(outcome)), QMessageBox::Warning);
}

void BatchDialog::cmdCancel_Click() { reject(); }

void BatchDialog::done(int result)
{
    // A field edit still waiting for its focus-out Apply is dropped, as
    // Escape drops it: nothing of the dialog's may land after the handover.
    form_->settlePendingApply();
    if (!closed_) {
        closed_ = true;
        SrcPrm = mainSource_.prm;
        RefX = mainSource_.refX;
        RefY = mainSource_.refY;
        if (!(destinationSide() == destinationAtLoad_))
            rebuildDestination();
        reset_src_param(false);
        src_update();
    }
    QDialog::done(result);
}

} // namespace karwen::ui
