#include "batch_dialog.h"

#include "batch_measure_plan.h"
#include "mdl_karwen.h"
#include "source_projection_list.h"
#include "view_mapping.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace karwen::ui {

namespace {

// The dialog is laid out in twips, 15 to the pixel at 96 dpi, for an 8-point
// system font 13 pixels high; a larger font grows the whole dialog (scale_).
constexpr double kDesignFontHeight = 13.0;
// place() moves every position in by this border (in twips; half of it at
// the top), which keeps the frames off the window's edge.
constexpr int kBorder = 120;
constexpr int kClientWidth = 11040 + 2 * kBorder;
// The columns: the parameter frames and the file lists beside them, short
// enough that three rows fit under them on an 800 x 600 screen: one of
// buttons and labels, one more for "Use the circle of the open photo", one
// for the CSV file and sky images of a measuring run; then the progress bar.
constexpr int kColumnsHeight = 4440;
constexpr int kRow = 480; // from one row under the columns to the next
constexpr int kFirstRow = kColumnsHeight + 120;
constexpr int kProgressTop = kFirstRow + 3 * kRow;
constexpr int kClientHeight = kProgressTop + 300 + 2 * kBorder;
constexpr int kFrameWidth = 2160;
constexpr int kFrameHeight = kColumnsHeight;
// The file lists' width, and the least they keep on a small screen: a
// photo's name still reads.
constexpr int kListWidth = 2535;
constexpr int kLeastListWidth = 1000;
// The window's frame and title around the dialog, and the panels beside it.
constexpr QSize kFrameAllowance(16, 48);

} // namespace

int BatchDialog::px(int twips) const { return qRound(twips * scale_ / double(kTwipsPerPixel)); }

void BatchDialog::place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setParent(content_);
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
    content_ = new QWidget;
    QGroupBox* source = createSourceFrame();
    QGroupBox* destination = createDestinationFrame();
    scale_ = std::max(1.0, fontMetrics().height() / kDesignFontHeight);
    for (const QGroupBox* frame : {source, destination}) {
        const QSize need = frame->minimumSizeHint();
        scale_ = std::max({scale_, need.width() * double(kTwipsPerPixel) / kFrameWidth,
            need.height() * double(kTwipsPerPixel) / kFrameHeight});
    }

    // The lists narrow on a small screen; the columns right of them follow.
    const int shrink = listShrink();
    const int list = kListWidth - shrink;
    const int moves = 4920 - shrink;
    const int selected = 6240 - shrink;
    const int last = 8880 - 2 * shrink;

    // Column 1: the source folder and the source parameters.
    place(source, 0, 0, kFrameWidth, kFrameHeight);

    // Column 2: the files not yet selected.
    lstS_ = new QListWidget;
    lstS_->setObjectName(QStringLiteral("lstS"));
    lstS_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    place(lstS_, 2280, 120, list, kColumnsHeight - 120);

    // Column 3: the moves, the counts and Start.
    auto* cmdAdd = addButton(QStringLiteral("cmdAdd"), QStringLiteral("Add"));
    auto* cmdAddAll = addButton(QStringLiteral("cmdAddAll"), QStringLiteral("Add All"));
    auto* cmdRemove = addButton(QStringLiteral("cmdRemove"), QStringLiteral("Remove"));
    auto* cmdRemoveAll = addButton(QStringLiteral("cmdRemoveAll"), QStringLiteral("Remove All"));
    place(cmdAdd, moves, 120, 1215, 375);
    place(cmdAddAll, moves, 720, 1215, 375);
    place(cmdRemove, moves, 1560, 1215, 375);
    place(cmdRemoveAll, moves, 2160, 1215, 375);
    place(new QLabel(QStringLiteral("All Files")), moves, 2880, 1215, 240);
    lblAll_ = new QLabel(QStringLiteral("0"));
    lblAll_->setObjectName(QStringLiteral("lblAll"));
    place(lblAll_, moves, 3120, 1215, 240);
    place(new QLabel(QStringLiteral("Selected Files")), moves, 3480, 1215, 240);
    lblSelected_ = new QLabel(QStringLiteral("0"));
    lblSelected_->setObjectName(QStringLiteral("lblSelected"));
    place(lblSelected_, moves, 3720, 1215, 240);
    cmdStart_ = addButton(QStringLiteral("cmdStart"), QStringLiteral("Start"));
    place(cmdStart_, moves, kFirstRow, 1215, 375);
    // In Start's place while a run goes.
    cmdStop_ = addButton(QStringLiteral("cmdStop"), QStringLiteral("Stop"));
    cmdStop_->setToolTip(QStringLiteral("Stops the run once the photo in hand is done; every result so far is kept"));
    place(cmdStop_, moves, kFirstRow, 1215, 375);
    cmdStop_->hide();

    // Column 4: the selected files and the progress.
    lstD_ = new QListWidget;
    lstD_->setObjectName(QStringLiteral("lstD"));
    lstD_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    place(lstD_, selected, 120, list, kColumnsHeight - 120);
    lblProcess_ = new QLabel(QStringLiteral("Select Files."));
    lblProcess_->setObjectName(QStringLiteral("lblProcess"));
    lblProcess_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblProcess_->setWordWrap(true);
    place(lblProcess_, selected, kFirstRow - 40, list, 2 * kRow - 40);

    // Under the source frame and the file list: it concerns the photos.
    chkFindCircle_ = new QCheckBox(QStringLiteral("Find the circle in each photo"));
    chkFindCircle_->setObjectName(QStringLiteral("chkFindCircle"));
    chkFindCircle_->setToolTip(QStringLiteral("Each photo's own centre and radius; "
                                              "projection, tilt and view direction as set here"));
    place(chkFindCircle_, 0, kFirstRow, 2280 + list, 375);
    cmdUseOpenCircle_
        = addButton(QStringLiteral("cmdUseOpenCircle"), QStringLiteral("Use the circle of the open photo"));
    cmdUseOpenCircle_->setToolTip(QStringLiteral("The centre and radius fitted in the main window, and its lens "
                                                 "when it reads the photo through one; otherwise projection, tilt "
                                                 "and view direction as set here"));
    place(cmdUseOpenCircle_, 0, kFirstRow + kRow, 3240, 375);
    // Beside it, under Start: what Start does with the results there.
    chkReplace_ = new QCheckBox(QStringLiteral("Replace results that exist"));
    chkReplace_->setObjectName(QStringLiteral("chkReplace"));
    chkReplace_->setToolTip(QStringLiteral("Otherwise a result already in the destination folder is kept and "
                                           "counted as skipped, and a CSV file there is continued, so that a "
                                           "run goes on where it stopped; a CSV file is replaced once you agree"));
    place(chkReplace_, 3360, kFirstRow + kRow, 2775, 375);

    createMeasureRow(11040 - 2 * shrink);

    // Across the dialog: the files done and the time left.
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setFormat(QString());
    place(progress_, 0, kProgressTop, 11040 - 2 * shrink, 300);

    // Column 5: the destination folder, format, postfix and parameters.
    place(destination, last, 0, kFrameWidth, kFrameHeight);
    cmdCancel_ = addButton(QStringLiteral("cmdCancel"), QStringLiteral("Exit"));
    place(cmdCancel_, last + kFrameWidth - 1215, kFirstRow, 1215, 375);
    // Under Exit: the other start, whose files are named in the row below.
    cmdMeasure_ = addButton(QStringLiteral("cmdMeasure"), QStringLiteral("Measure into a CSV file"));
    cmdMeasure_->setToolTip(QStringLiteral("Measures the selected photos with the Canopy window's settings, one "
                                           "row each, as karwen-cli measure does; a CSV there already is continued"));
    place(cmdMeasure_, last, kFirstRow + kRow, kFrameWidth, 375);
    content_->setFixedSize(px(kClientWidth - 2 * shrink), px(kClientHeight));
    fitToScreen();

    connect(cmdAdd, &QPushButton::clicked, this, &BatchDialog::cmdAdd_Click);
    connect(cmdAddAll, &QPushButton::clicked, this, &BatchDialog::cmdAddAll_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &BatchDialog::cmdRemove_Click);
    connect(cmdRemoveAll, &QPushButton::clicked, this, &BatchDialog::cmdRemoveAll_Click);
    connect(cmdStart_, &QPushButton::clicked, this, &BatchDialog::cmdStart_Click);
    connect(cmdStop_, &QPushButton::clicked, this, &BatchDialog::cmdStop_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &BatchDialog::cmdCancel_Click);
    connect(cmdUseOpenCircle_, &QPushButton::clicked, this, &BatchDialog::cmdUseOpenCircle_Click);
    connect(cmdMeasure_, &QPushButton::clicked, this, &BatchDialog::cmdMeasure_Click);
}

void BatchDialog::createMeasureRow(int width)
{
    // The two fields share what the captions and buttons leave.
    constexpr int kCaption = 720, kBrowse = 900, kGap = 60, kSkyBox = 1560;
    const int field = (width - kCaption - kSkyBox - 2 * kBrowse - 4 * kGap) / 2;
    constexpr int top = kFirstRow + 2 * kRow;
    auto* caption = new QLabel(QStringLiteral("CSV file"));
    place(caption, 0, top, kCaption, 375);
    txtCsv_ = new QLineEdit;
    txtCsv_->setObjectName(QStringLiteral("txtCsv"));
    txtCsv_->setToolTip(QStringLiteral("The file the figures of \"Measure into a CSV file\" go into"));
    caption->setBuddy(txtCsv_);
    place(txtCsv_, kCaption, top, field, 375);
    auto* cmdBrowseCsv = addButton(QStringLiteral("cmdBrowseCsv"), QStringLiteral("Browse..."));
    place(cmdBrowseCsv, kCaption + field + kGap, top, kBrowse, 375);

    const int sky = kCaption + field + kBrowse + 3 * kGap;
    chkSaveSky_ = new QCheckBox(QStringLiteral("Save sky images"));
    chkSaveSky_->setObjectName(QStringLiteral("chkSaveSky"));
    chkSaveSky_->setToolTip(
        QStringLiteral("Each measured photo's sky image (white sky, black canopy), as "
                       "karwen-cli measure --save-classified saves it, into the folder at the right"));
    place(chkSaveSky_, sky, top, kSkyBox, 375);
    txtSkyFolder_ = new QLineEdit;
    txtSkyFolder_->setObjectName(QStringLiteral("txtSkyFolder"));
    txtSkyFolder_->setToolTip(QStringLiteral("Left empty: a folder beside the CSV, named after it (plot.csv: "
                                             "plot-sky)"));
    place(txtSkyFolder_, sky + kSkyBox, top, field, 375);
    auto* cmdBrowseSky = addButton(QStringLiteral("cmdBrowseSky"), QStringLiteral("Browse..."));
    place(cmdBrowseSky, sky + kSkyBox + field + kGap, top, kBrowse, 375);

    connect(cmdBrowseCsv, &QPushButton::clicked, this, &BatchDialog::cmdBrowseCsv_Click);
    connect(cmdBrowseSky, &QPushButton::clicked, this, &BatchDialog::cmdBrowseSky_Click);
    // The empty field shows the folder it stands for.
    connect(txtCsv_, &QLineEdit::textChanged, this, [this](const QString& csv) {
        txtSkyFolder_->setPlaceholderText(csv.trimmed().isEmpty() ? QString() : defaultSkyFolder(csv.trimmed()));
    });
}

ParameterForm::Frame BatchDialog::newFolderFrame(const QString& title, const QString& frameName, const QString& side,
    QLineEdit*& folder, void (BatchDialog::*browse)())
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
        QStringLiteral("S"), txtFolderS_, &BatchDialog::cmdBrowseS_Click);
    // Enter lists the folder typed, as Browse lists the one picked.
    connect(txtFolderS_, &QLineEdit::returnPressed, this, [this] { showSourceFolder(txtFolderS_->text()); });
    form_->addSourceFields(grid, 3);
    // It stores the projection or lens picked; the run reads them at Start.
    cmbS_ = new SourceProjectionList;
    form_->addListRow(grid, 6, QStringLiteral("Projection"), cmbS_);
    // How much of each photo is decoded.
    chkDecodeScaled_ = new QCheckBox(QStringLiteral("Scaled decoding"));
    chkDecodeScaled_->setObjectName(QStringLiteral("chkDecodeScaled"));
    chkDecodeScaled_->setToolTip(QStringLiteral(
        "A JPEG photo read through the circle set here is decoded at 1/2, 1/4 or 1/8 of its size where the "
        "results still get a decoded pixel (two for cubic) under each of theirs: faster, and their finest detail "
        "is averaged rather than picked. Otherwise, and with each photo's own circle, every pixel is decoded"));
    chkDecodeScaled_->setChecked(true);
    grid->addWidget(chkDecodeScaled_, 8, 0, 1, 4);
    grid->setRowStretch(9, 1);
    return frame;
}

QGroupBox* BatchDialog::createDestinationFrame()
{
    const auto [frame, grid] = newFolderFrame(QStringLiteral("Destination Image"), QStringLiteral("frmDst"),
        QStringLiteral("D"), txtFolderD_, &BatchDialog::cmdBrowseD_Click);

    // Enter checks the folder typed, as Start does.
    connect(txtFolderD_, &QLineEdit::returnPressed, this, [this] { (void)destinationWritable(); });

    // Format and postfix share a row each with their caption.
    grid->addWidget(form_->newLabel(QStringLiteral("File Format")), 3, 0, 1, 2);
    cmbF_ = form_->newList(QStringLiteral("cmbF"), {QStringLiteral("bmp"), QStringLiteral("jpg")});
    grid->addWidget(cmbF_, 3, 2, 1, 2);
    grid->addWidget(form_->newLabel(QStringLiteral("Postfix")), 4, 0, 1, 2);
    txtpostfix_ = new QLineEdit(QStringLiteral("-kw"));
    txtpostfix_->setObjectName(QStringLiteral("txtpostfix"));
    grid->addWidget(txtpostfix_, 4, 2, 1, 2);

    form_->addDestinationFields(grid, 5);
    cmbD_ = form_->newList(QStringLiteral("cmbD"), {});
    ParameterForm::addProjections(cmbD_, false);
    form_->addListRow(grid, 8, QStringLiteral("Projection"), cmbD_);
    cmbI_ = form_->newList(QStringLiteral("cmbI"), ParameterForm::interpolations());
    form_->addListRow(grid, 10, QStringLiteral("Interpolation"), cmbI_);
    grid->setRowStretch(12, 1);

    connect(cmbD_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (const std::optional<int32_t> code = ParameterForm::projectionAt(cmbD_, index))
            DstPrm.Proj = *code;
    });
    connect(cmbI_, &QComboBox::currentIndexChanged, this, [](int index) {
        if (index >= 0)
            Interp = index;
    });
    connect(cmbF_, &QComboBox::currentIndexChanged, this, [this] { OutExt_ = cmbF_->currentText(); });
    return frame;
}

QSize BatchDialog::screenRoom() const
{
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().size() - kFrameAllowance : QSize();
}

int BatchDialog::listShrink() const
{
    const QSize room = screenRoom();
    if (room.isEmpty())
        return 0;
    const int roomTwips = int(room.width() * double(kTwipsPerPixel) / scale_);
    const int over = kClientWidth - roomTwips + kTwipsPerPixel; // a pixel for rounding
    return std::clamp((over + 1) / 2, 0, kListWidth - kLeastListWidth);
}

void BatchDialog::fitToScreen()
{
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    // A screen too small even for the narrowed lists scrolls the controls.
    const QSize room = screenRoom().isEmpty() ? content_->size() : screenRoom();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize size = content_->size();
    if (size.width() > room.width())
        size = {room.width(), std::min(size.height() + bar, room.height())};
    if (size.height() > room.height())
        size = {std::min(size.width() + bar, room.width()), room.height()};
    // A side that fits shows no bar, even while the layout settles.
    if (size.width() >= content_->width())
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (size.height() >= content_->height())
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFixedSize(size);
}

} // namespace karwen::ui
