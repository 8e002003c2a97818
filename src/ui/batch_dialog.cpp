#include "batch_dialog.h"

#include "batch_run.h"
#include "busy_guard.h"
#include "dialog_seam.h"
#include "file_list_moves.h"
#include "format_window.h"
#include "mdl_karwen.h"
#include "screen_centre.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace karwen::ui {

namespace {

const QStringList kSourceProjections{
    QStringLiteral("Orthographic"), QStringLiteral("Equisolidangle"),
    QStringLiteral("Equidistant"), QStringLiteral("Stereographic")};
const QStringList kInterpolations{
    QStringLiteral("Nerest"), QStringLiteral("Bi-Linear"), QStringLiteral("Cubic Conv")};

// The design's positions are twips at 96 dpi (15 twips a pixel) for an
// 8-point system font 13 pixels high; a larger font grows the whole dialog.
constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignFontHeight = 13.0;
// The design positions start at the client area's corner; a small border
// keeps the frames off the window's edge.
constexpr int kBorder = 120;
constexpr int kClientWidth = 11040 + 2 * kBorder;
constexpr int kClientHeight = 5520 + kBorder;
constexpr int kFrameWidth = 2160;
constexpr int kFrameHeight = 4800;
// More failed outputs than this are counted, not listed.
constexpr std::size_t kListedFailures = 12;

QString fixed2(double value) { return QString::fromStdString(formatFixed2(value)); }

void select(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

QComboBox* makeList(const QString& objectName, const QStringList& items)
{
    auto* list = new QComboBox;
    list->setObjectName(objectName);
    list->setEditable(false);
    list->addItems(items);
    return list;
}

QString failureMessage(const std::vector<BatchFailure>& failures)
{
    QString text = QStringLiteral("These outputs could not be written:");
    const std::size_t listed = std::min(failures.size(), kListedFailures);
    for (std::size_t i = 0; i < listed; ++i)
        text += QStringLiteral("\n%1: %2").arg(QString::fromStdString(failures[i].outputPath),
                                               QString::fromStdString(failures[i].reason));
    if (failures.size() > listed)
        text += QStringLiteral("\n... and %1 more.").arg(failures.size() - listed);
    return text;
}

} // namespace

BatchDialog::BatchDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBatch"));
    setWindowTitle(QStringLiteral("Batch Conversion"));
    fieldWidth_ = fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 8;
    createColumns();
    setFixedSize(px(kClientWidth), px(kClientHeight));
    Form_Load();
}

int BatchDialog::px(int twips) const { return qRound(twips * scale_ / kTwipsPerPixel); }

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
        scale_ = std::max({scale_, need.width() * kTwipsPerPixel / kFrameWidth,
                           need.height() * kTwipsPerPixel / kFrameHeight});
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

QLabel* BatchDialog::addLabel(QGridLayout* grid, int row, int column, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    grid->addWidget(label, row, column);
    return label;
}

QLineEdit* BatchDialog::addField(QGridLayout* grid, int row, int column, const QString& objectName,
                                 const QString& label, const QString& toolTip)
{
    addLabel(grid, row, column, label)->setToolTip(toolTip);
    auto* field = new QLineEdit;
    field->setObjectName(objectName);
    field->setToolTip(toolTip);
    field->setMinimumWidth(fieldWidth_);
    field->installEventFilter(this);
    grid->addWidget(field, row, column + 1);
    return field;
}

void BatchDialog::addListRow(QGridLayout* grid, int row, const QString& label, QWidget* control)
{
    // The columns are narrow: the caption above, the control across.
    auto* caption = new QLabel(label);
    caption->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    grid->addWidget(caption, row, 0, 1, 4);
    grid->addWidget(control, row + 1, 0, 1, 4);
}

QGroupBox* BatchDialog::createSourceFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Source Image"));
    frame->setObjectName(QStringLiteral("frmSrc"));
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    txtFolderS_ = new QLineEdit;
    txtFolderS_->setObjectName(QStringLiteral("txtFolderS"));
    addListRow(grid, 0, QStringLiteral("Folder"), txtFolderS_);
    auto* cmdBrowseS = addButton(QStringLiteral("cmdBrowseS"), QStringLiteral("Browse"));
    grid->addWidget(cmdBrowseS, 2, 2, 1, 2);

    txtCx_[0] = addField(grid, 3, 0, QStringLiteral("txtCx(0)"), QStringLiteral("X"),
                         QStringLiteral("x coordinates of viewpoint"));
    txtCy_[0] = addField(grid, 3, 2, QStringLiteral("txtCy(0)"), QStringLiteral("Y"),
                         QStringLiteral("y coordinates of viewpoint"));
    txtR_[0] = addField(grid, 4, 0, QStringLiteral("txtR(0)"), QStringLiteral("R"), QStringLiteral("radius"));
    txtRot_[0] = addField(grid, 4, 2, QStringLiteral("txtRot(0)"), QStringLiteral("\u03B3"),
                          QStringLiteral("tilt angle [deg]"));
    txtRot_[1] = addField(grid, 5, 0, QStringLiteral("txtRot(1)"), QStringLiteral("Xr"),
                          QStringLiteral("x coordinates of view reference point"));
    txtRot_[2] = addField(grid, 5, 2, QStringLiteral("txtRot(2)"), QStringLiteral("Yr"),
                          QStringLiteral("y coordinates of view reference point"));

    cmbS_ = makeList(QStringLiteral("cmbS"), kSourceProjections);
    addListRow(grid, 6, QStringLiteral("Projection"), cmbS_);
    grid->setRowStretch(8, 1);

    connect(cmdBrowseS, &QPushButton::clicked, this, &BatchDialog::cmdBrowseS_Click);
    connect(cmbS_, &QComboBox::currentIndexChanged, this, [](int index) {
        if (index >= 0)
            SrcPrm.Proj = index;
    });
    return frame;
}

QGroupBox* BatchDialog::createDestinationFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Destination Image"));
    frame->setObjectName(QStringLiteral("frmDst"));
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    txtFolderD_ = new QLineEdit;
    txtFolderD_->setObjectName(QStringLiteral("txtFolderD"));
    addListRow(grid, 0, QStringLiteral("Folder"), txtFolderD_);
    auto* cmdBrowseD = addButton(QStringLiteral("cmdBrowseD"), QStringLiteral("Browse"));
    grid->addWidget(cmdBrowseD, 2, 2, 1, 2);

    // Format and postfix share a row each with their caption.
    auto* formatCaption = new QLabel(QStringLiteral("File Format"));
    formatCaption->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    grid->addWidget(formatCaption, 3, 0, 1, 2);
    cmbF_ = makeList(QStringLiteral("cmbF"), {QStringLiteral("bmp"), QStringLiteral("jpg")});
    grid->addWidget(cmbF_, 3, 2, 1, 2);
    auto* postfixCaption = new QLabel(QStringLiteral("Postfix"));
    postfixCaption->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    grid->addWidget(postfixCaption, 4, 0, 1, 2);
    txtpostfix_ = new QLineEdit(QStringLiteral("-kw"));
    txtpostfix_->setObjectName(QStringLiteral("txtpostfix"));
    grid->addWidget(txtpostfix_, 4, 2, 1, 2);

    txtWidth1_ = addField(grid, 5, 0, QStringLiteral("txtWidth(1)"), QStringLiteral("W"), QStringLiteral("width"));
    txtHeight1_ = addField(grid, 5, 2, QStringLiteral("txtHeight(1)"), QStringLiteral("H"), QStringLiteral("height"));
    txtCx_[1] = addField(grid, 6, 0, QStringLiteral("txtCx(1)"), QStringLiteral("X"),
                         QStringLiteral("x coordinates of viewpoint"));
    txtCy_[1] = addField(grid, 6, 2, QStringLiteral("txtCy(1)"), QStringLiteral("Y"),
                         QStringLiteral("y coordinates of viewpoint"));
    txtR_[1] = addField(grid, 7, 0, QStringLiteral("txtR(1)"), QStringLiteral("R"), QStringLiteral("radius"));

    QStringList destinationProjections = kSourceProjections;
    destinationProjections << QStringLiteral("Perspective");
    cmbD_ = makeList(QStringLiteral("cmbD"), destinationProjections);
    addListRow(grid, 8, QStringLiteral("Projection"), cmbD_);
    cmbI_ = makeList(QStringLiteral("cmbI"), kInterpolations);
    addListRow(grid, 10, QStringLiteral("Interpolation"), cmbI_);
    grid->setRowStretch(12, 1);

    connect(cmdBrowseD, &QPushButton::clicked, this, &BatchDialog::cmdBrowseD_Click);
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

QLineEdit* BatchDialog::field(Field which) const
{
    switch (which) {
    case Field::SrcCx: return txtCx_[0];
    case Field::SrcCy: return txtCy_[0];
    case Field::SrcR: return txtR_[0];
    case Field::SrcRot: return txtRot_[0];
    case Field::RefX: return txtRot_[1];
    case Field::RefY: return txtRot_[2];
    case Field::DstW: return txtWidth1_;
    case Field::DstH: return txtHeight1_;
    case Field::DstCx: return txtCx_[1];
    case Field::DstCy: return txtCy_[1];
    case Field::DstR: return txtR_[1];
    }
    return nullptr;
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
    txtCx_[0]->setText(fixed2(SrcPrm.Cx));
    txtCy_[0]->setText(fixed2(SrcPrm.Cy));
    txtR_[0]->setText(fixed2(SrcPrm.R));
    txtRot_[0]->setText(fixed2(SrcPrm.Rot));
    txtRot_[1]->setText(fixed2(RefX));
    txtRot_[2]->setText(fixed2(RefY));
    select(cmbS_, SrcPrm.Proj);
    txtWidth1_->setText(QString::number(DstW));
    txtHeight1_->setText(QString::number(DstH));
    txtCx_[1]->setText(fixed2(DstPrm.Cx));
    txtCy_[1]->setText(fixed2(DstPrm.Cy));
    txtR_[1]->setText(fixed2(DstPrm.R));
    select(cmbD_, DstPrm.Proj);
    select(cmbI_, Interp);
}

void BatchDialog::Apply() { (void)applyFields(); }

bool BatchDialog::applyFields()
{
    applyPending_ = false;
    if (!isEnabled())
        return true;
    const QScopedValueRollback<bool> guard(applying_, true);

    std::array<std::string, kEditableFields> texts;
    for (int i = 0; i < kEditableFields; ++i)
        texts[static_cast<std::size_t>(i)] = field(static_cast<Field>(i))->text().toStdString();
    if (const std::optional<Field> invalid = firstInvalid(texts, kSourceBound, kSourceBound)) {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        dialogs().message(this, QStringLiteral("Illegal Value"), QMessageBox::Warning);
        field(*invalid)->setFocus(Qt::OtherFocusReason);
        return false;
    }

    const auto rules = fieldRules(kSourceBound, kSourceBound);
    const auto value = [&](Field which) {
        const auto i = static_cast<std::size_t>(which);
        return fieldValue(rules[i], texts[i]).value_or(0.0);
    };
    bool changed = false;
    const auto store = [&changed](auto& global, auto v) {
        if (global != v) {
            global = v;
            changed = true;
        }
    };
    store(SrcPrm.Cx, value(Field::SrcCx));
    store(SrcPrm.Cy, value(Field::SrcCy));
    store(SrcPrm.R, value(Field::SrcR));
    store(SrcPrm.Rot, value(Field::SrcRot));
    store(RefX, static_cast<float>(value(Field::RefX)));
    store(RefY, static_cast<float>(value(Field::RefY)));
    store(DstW, static_cast<int32_t>(value(Field::DstW)));
    store(DstH, static_cast<int32_t>(value(Field::DstH)));
    store(DstPrm.Cx, value(Field::DstCx));
    store(DstPrm.Cy, value(Field::DstCy));
    store(DstPrm.R, value(Field::DstR));

    set_param();
    if (changed)
        ref2angle();
    return true;
}

bool BatchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (qobject_cast<QLineEdit*>(watched) && !applying_) {
        if (event->type() == QEvent::MouseButtonDblClick)
            Apply();
        else if (event->type() == QEvent::FocusOut
                 && FormatWindow::appliesOnFocusOut(static_cast<QFocusEvent*>(event)->reason()))
            applyAfterFocusMove();
    }
    return QDialog::eventFilter(watched, event);
}

void BatchDialog::applyAfterFocusMove()
{
    // Run once the focus has settled, outside Qt's focus change, as in
    // frmFormat.
    if (applyPending_)
        return;
    applyPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (applyPending_)
            Apply();
    });
}

void BatchDialog::ListImageFiles(QListWidget* list, const QString& folder)
{
    list->clear();
    std::vector<std::string> names;
    if (!list_image_files(folder.toStdString(), names)) {
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
    if (applyPending_ && !applyFields())
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

    BatchOutcome outcome;
    {
        const BusyGuard busy(cmdStart_);
        repaint();
        outcome = run_batch(job, [this](const std::string& text) {
            showProgress(QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
        });
        showProgress(QStringLiteral("Completed."));
    }
    // Not reported one by one: a single message once the run is over.
    if (!outcome.failedSaves.empty())
        dialogs().message(this, failureMessage(outcome.failedSaves), QMessageBox::Warning);
}

void BatchDialog::cmdCancel_Click() { reject(); }

} // namespace karwen::ui
