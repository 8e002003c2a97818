#include "format_window.h"

#include "mdl_karwen.h"
#include "source_projection_list.h"
#include "tool_window_font.h"
#include "undoable_step.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace karwen::ui {

namespace {

const QStringList kGridSpacings{QStringLiteral(" -"), QStringLiteral(" 5"), QStringLiteral("10"), QStringLiteral("15"),
    QStringLiteral("30"), QStringLiteral("45"), QStringLiteral("90")};

} // namespace

FormatWindow::FormatWindow(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmFormat"));
    setProperty("Tag", QString());
    setWindowTitle(QStringLiteral("Format"));
    setFont(toolWindowFont(font()));
    // Room for a value like "-10000.00" in every number field.
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("-00000.00")) + 8;
    rowHeight_ = fontMetrics().height() + 5;
    form_ = new ParameterForm(this, ParameterForm::Sizing::Compact, fieldWidth, rowHeight_, [this] { Apply(); });

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(createSourceFrame());
    layout->addWidget(createDestinationFrame());
    cmdApply_ = new QPushButton(QStringLiteral("Apply"), this);
    cmdApply_->setObjectName(QStringLiteral("cmdApply"));
    cmdApply_->setFixedHeight(rowHeight_ + 2);
    layout->addWidget(cmdApply_);
    connect(cmdApply_, &QPushButton::clicked, this, &FormatWindow::cmdApply_Click);
}

QGroupBox* FormatWindow::createSourceFrame()
{
    const auto [frame, grid] = form_->newFrame(QStringLiteral("Source Image"), QStringLiteral("frmSrc"));
    txtWidth0_
        = form_->addField(grid, 0, 0, QStringLiteral("txtWidth(0)"), QStringLiteral("W"), QStringLiteral("width"));
    txtHeight0_
        = form_->addField(grid, 0, 2, QStringLiteral("txtHeight(0)"), QStringLiteral("H"), QStringLiteral("height"));
    form_->addSourceFields(grid, 1);

    // The source size is the image's own: shown, never edited.
    for (QLineEdit* size : {txtWidth0_, txtHeight0_}) {
        size->setReadOnly(true);
        QPalette grey = size->palette();
        grey.setColor(QPalette::Base, grey.color(QPalette::Window));
        size->setPalette(grey);
    }

    cmbS_ = new SourceProjectionList;
    cmbS_->setFixedHeight(rowHeight_);
    form_->addListRow(grid, 4, QStringLiteral("Projection"), cmbS_);
    cmdReset_ = new QPushButton(QStringLiteral("Reset"));
    cmdReset_->setObjectName(QStringLiteral("cmdReset"));
    cmdReset_->setFixedHeight(rowHeight_ + 2);
    grid->addWidget(cmdReset_, 5, 0, 1, 4);

    connect(cmbS_, &SourceProjectionList::chosen, this, &FormatWindow::cmbS_Click);
    connect(cmdReset_, &QPushButton::clicked, this, &FormatWindow::cmdReset_Click);
    return frame;
}

QGroupBox* FormatWindow::createDestinationFrame()
{
    const auto [frame, grid] = form_->newFrame(QStringLiteral("Destination Image"), QStringLiteral("frmDst"));
    form_->addDestinationFields(grid, 0);

    cmbD_ = form_->newList(QStringLiteral("cmbD"), {});
    ParameterForm::addProjections(cmbD_, false);
    form_->addListRow(grid, 3, QStringLiteral("Projection"), cmbD_);
    cmbI_ = form_->newList(QStringLiteral("cmbI"), ParameterForm::interpolations());
    form_->addListRow(grid, 4, QStringLiteral("Interpolation"), cmbI_);

    chkGrid_ = new QCheckBox(QStringLiteral("Grid"));
    chkGrid_->setObjectName(QStringLiteral("chkGrid"));
    chkGrid_->setChecked(true);
    grid->addWidget(chkGrid_, 5, 0, 1, 4);

    // "R" list, theta label, theta list in one row.
    auto* spacingRow = new QHBoxLayout;
    spacingRow->setSpacing(4);
    form_->addLabel(grid, 6, 0, QStringLiteral("R"));
    for (int i = 0; i < 2; ++i) {
        cmbG_[i] = form_->newList(QStringLiteral("cmbG(%1)").arg(i), kGridSpacings);
        connect(cmbG_[i], &QComboBox::currentIndexChanged, this, [this, i](int index) { cmbG_Click(i, index); });
    }
    spacingRow->addWidget(cmbG_[0]);
    spacingRow->addSpacing(8);
    spacingRow->addWidget(form_->newLabel(QStringLiteral("\u03B8")));
    spacingRow->addWidget(cmbG_[1]);
    spacingRow->addStretch();
    grid->addLayout(spacingRow, 6, 1, 1, 3);

    connect(cmbD_, &QComboBox::currentIndexChanged, this, &FormatWindow::cmbD_Click);
    connect(cmbI_, &QComboBox::currentIndexChanged, this, &FormatWindow::cmbI_Click);
    connect(chkGrid_, &QCheckBox::toggled, this, &FormatWindow::chkGrid_Click);
    return frame;
}

void FormatWindow::Form_Load()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->move(0, 0);
    else
        move(0, 0);
    set_param();
}

void FormatWindow::set_param()
{
    txtWidth0_->setText(QString::number(SrcW));
    txtHeight0_->setText(QString::number(SrcH));
    form_->showGlobals();
    cmbS_->showGlobals();
    ParameterForm::select(cmbD_, ParameterForm::projectionItem(cmbD_, DstPrm.Proj));
    ParameterForm::select(cmbI_, Interp);
    ParameterForm::select(cmbG_[0], GridR);
    ParameterForm::select(cmbG_[1], GridTheta);
    // The box follows GridOn, so that a dialog loaded again after the grid
    // was switched off does not show it ticked.
    chkGrid_->setChecked(GridOn);
}

void FormatWindow::Apply() { (void)applyFields(); }

bool FormatWindow::applyFields()
{
    return form_->apply(this, windowBounds(SrcW, SrcH),
        {.undoStep = "Apply", .showFields = [this] { set_param(); }, .rebuildDestination = true});
}

void FormatWindow::cmdApply_Click() { Apply(); }

void FormatWindow::cmdReset_Click()
{
    // A value typed just before a quick click has only asked for its Apply
    // yet; it is applied first, or the reset would show the old globals
    // over it. A refused value keeps the reset from running.
    if (form_->applyPending() && !applyFields())
        return;
    const UndoableStep step("Reset");
    reset_src_param(true);
    src_update();
    convert();
    dst_update();
}

// The list has stored the projection or lens picked.
void FormatWindow::cmbS_Click()
{
    convert();
    dst_update();
}

void FormatWindow::cmbD_Click(int index)
{
    const std::optional<int32_t> code = ParameterForm::projectionAt(cmbD_, index);
    if (!code)
        return;
    const UndoableStep step("projection choice");
    DstPrm.Proj = *code;
    convert();
    dst_update();
}

void FormatWindow::cmbI_Click(int index)
{
    if (index < 0)
        return;
    const UndoableStep step("interpolation choice");
    Interp = index;
    convert();
    dst_update();
}

void FormatWindow::cmbG_Click(int listIndex, int index)
{
    if (index < 0)
        return;
    if (listIndex == 0)
        GridR = static_cast<int16_t>(index);
    else
        GridTheta = static_cast<int16_t>(index);
    dst_update();
}

void FormatWindow::chkGrid_Click(bool ticked)
{
    GridOn = ticked;
    dst_update();
}

} // namespace karwen::ui
