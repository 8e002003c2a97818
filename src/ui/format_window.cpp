#include "format_window.h"

#include "dialog_seam.h"
#include "mdl_karwen.h"
#include "tool_window_font.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

namespace karwen::ui {

namespace {

const QStringList kSourceProjections{
    QStringLiteral("Orthographic"), QStringLiteral("Equisolidangle"),
    QStringLiteral("Equidistant"), QStringLiteral("Stereographic")};
const QStringList kInterpolations{
    QStringLiteral("Nerest"), QStringLiteral("Bi-Linear"), QStringLiteral("Cubic Conv")};
const QStringList kGridSpacings{
    QStringLiteral(" -"), QStringLiteral(" 5"), QStringLiteral("10"), QStringLiteral("15"),
    QStringLiteral("30"), QStringLiteral("45"), QStringLiteral("90")};

QString fixed2(double value) { return QString::fromStdString(formatFixed2(value)); }

// A list selection from a global; an index the list does not have shows no
// selection (and the handlers ignore it).
void select(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

} // namespace

FormatWindow::FormatWindow(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmFormat"));
    setProperty("Tag", QString());
    setWindowTitle(QStringLiteral("Format"));
    setFont(toolWindowFont(font()));
    // Room for a value like "-10000.00" in every number field.
    fieldWidth_ = fontMetrics().horizontalAdvance(QStringLiteral("-00000.00")) + 8;
    rowHeight_ = fontMetrics().height() + 5;

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

QLabel* FormatWindow::addLabel(QGridLayout* grid, int row, int column, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    grid->addWidget(label, row, column);
    return label;
}

QLineEdit* FormatWindow::addField(QGridLayout* grid, int row, int column, const QString& objectName,
                                  const QString& label, const QString& toolTip)
{
    addLabel(grid, row, column, label)->setToolTip(toolTip);
    auto* field = new QLineEdit;
    field->setObjectName(objectName);
    field->setToolTip(toolTip);
    field->setFixedSize(fieldWidth_, rowHeight_);
    field->installEventFilter(this);
    grid->addWidget(field, row, column + 1);
    return field;
}

void FormatWindow::addListRow(QGridLayout* grid, int row, const QString& label, QComboBox* list)
{
    // Label and list side by side across the frame keep the window short.
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    auto* caption = new QLabel(label);
    caption->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    line->addWidget(caption);
    line->addWidget(list, 1);
    grid->addLayout(line, row, 0, 1, 4);
}

QComboBox* FormatWindow::addList(const QString& objectName, const QStringList& items)
{
    auto* list = new QComboBox;
    list->setObjectName(objectName);
    list->setEditable(false);
    list->addItems(items);
    list->setFixedHeight(rowHeight_);
    return list;
}

QGroupBox* FormatWindow::createSourceFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Source Image"));
    frame->setObjectName(QStringLiteral("frmSrc"));
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(6, 4, 6, 6);

    txtWidth_[0] = addField(grid, 0, 0, QStringLiteral("txtWidth(0)"), QStringLiteral("W"), QStringLiteral("width"));
    txtHeight_[0] = addField(grid, 0, 2, QStringLiteral("txtHeight(0)"), QStringLiteral("H"), QStringLiteral("height"));
    txtCx_[0] = addField(grid, 1, 0, QStringLiteral("txtCx(0)"), QStringLiteral("X"),
                         QStringLiteral("x coordinates of viewpoint"));
    txtCy_[0] = addField(grid, 1, 2, QStringLiteral("txtCy(0)"), QStringLiteral("Y"),
                         QStringLiteral("y coordinates of viewpoint"));
    txtR_[0] = addField(grid, 2, 0, QStringLiteral("txtR(0)"), QStringLiteral("R"), QStringLiteral("radius"));
    txtRot_[0] = addField(grid, 2, 2, QStringLiteral("txtRot(0)"), QStringLiteral("\u03B3"),
                          QStringLiteral("tilt angle [deg]"));
    txtRot_[1] = addField(grid, 3, 0, QStringLiteral("txtRot(1)"), QStringLiteral("Xr"),
                          QStringLiteral("x coordinates of view reference point"));
    txtRot_[2] = addField(grid, 3, 2, QStringLiteral("txtRot(2)"), QStringLiteral("Yr"),
                          QStringLiteral("y coordinates of view reference point"));

    // The source size is the image's own: shown, never edited.
    for (QLineEdit* size : {txtWidth_[0], txtHeight_[0]}) {
        size->setReadOnly(true);
        QPalette grey = size->palette();
        grey.setColor(QPalette::Base, grey.color(QPalette::Window));
        size->setPalette(grey);
    }

    cmbS_ = addList(QStringLiteral("cmbS"), kSourceProjections);
    addListRow(grid, 4, QStringLiteral("Projection"), cmbS_);
    cmdReset_ = new QPushButton(QStringLiteral("Reset"));
    cmdReset_->setObjectName(QStringLiteral("cmdReset"));
    cmdReset_->setFixedHeight(rowHeight_ + 2);
    grid->addWidget(cmdReset_, 5, 0, 1, 4);

    connect(cmbS_, &QComboBox::currentIndexChanged, this, &FormatWindow::cmbS_Click);
    connect(cmdReset_, &QPushButton::clicked, this, &FormatWindow::cmdReset_Click);
    return frame;
}

QGroupBox* FormatWindow::createDestinationFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Destination Image"));
    frame->setObjectName(QStringLiteral("frmDst"));
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(6, 4, 6, 6);

    txtWidth_[1] = addField(grid, 0, 0, QStringLiteral("txtWidth(1)"), QStringLiteral("W"), QStringLiteral("width"));
    txtHeight_[1] = addField(grid, 0, 2, QStringLiteral("txtHeight(1)"), QStringLiteral("H"), QStringLiteral("height"));
    txtCx_[1] = addField(grid, 1, 0, QStringLiteral("txtCx(1)"), QStringLiteral("X"),
                         QStringLiteral("x coordinates of viewpoint"));
    txtCy_[1] = addField(grid, 1, 2, QStringLiteral("txtCy(1)"), QStringLiteral("Y"),
                         QStringLiteral("y coordinates of viewpoint"));
    txtR_[1] = addField(grid, 2, 0, QStringLiteral("txtR(1)"), QStringLiteral("R"), QStringLiteral("radius"));

    QStringList destinationProjections = kSourceProjections;
    destinationProjections << QStringLiteral("Perspective");
    cmbD_ = addList(QStringLiteral("cmbD"), destinationProjections);
    addListRow(grid, 3, QStringLiteral("Projection"), cmbD_);
    cmbI_ = addList(QStringLiteral("cmbI"), kInterpolations);
    addListRow(grid, 4, QStringLiteral("Interpolation"), cmbI_);

    chkGrid_ = new QCheckBox(QStringLiteral("Grid"));
    chkGrid_->setObjectName(QStringLiteral("chkGrid"));
    chkGrid_->setChecked(true);
    grid->addWidget(chkGrid_, 5, 0, 1, 4);

    // "R" list, theta label, theta list in one row.
    auto* spacingRow = new QHBoxLayout;
    spacingRow->setSpacing(4);
    addLabel(grid, 6, 0, QStringLiteral("R"));
    for (int i = 0; i < 2; ++i) {
        cmbG_[i] = addList(QStringLiteral("cmbG(%1)").arg(i), kGridSpacings);
        connect(cmbG_[i], &QComboBox::currentIndexChanged, this,
                [this, i](int index) { cmbG_Click(i, index); });
    }
    spacingRow->addWidget(cmbG_[0]);
    spacingRow->addSpacing(8);
    auto* theta = new QLabel(QStringLiteral("\u03B8"));
    theta->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    spacingRow->addWidget(theta);
    spacingRow->addWidget(cmbG_[1]);
    spacingRow->addStretch();
    grid->addLayout(spacingRow, 6, 1, 1, 3);

    connect(cmbD_, &QComboBox::currentIndexChanged, this, &FormatWindow::cmbD_Click);
    connect(cmbI_, &QComboBox::currentIndexChanged, this, &FormatWindow::cmbI_Click);
    connect(chkGrid_, &QCheckBox::toggled, this, &FormatWindow::chkGrid_Click);
    return frame;
}

QLineEdit* FormatWindow::field(Field which) const
{
    switch (which) {
    case Field::SrcCx: return txtCx_[0];
    case Field::SrcCy: return txtCy_[0];
    case Field::SrcR: return txtR_[0];
    case Field::SrcRot: return txtRot_[0];
    case Field::RefX: return txtRot_[1];
    case Field::RefY: return txtRot_[2];
    case Field::DstW: return txtWidth_[1];
    case Field::DstH: return txtHeight_[1];
    case Field::DstCx: return txtCx_[1];
    case Field::DstCy: return txtCy_[1];
    case Field::DstR: return txtR_[1];
    }
    return nullptr;
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
    txtWidth_[0]->setText(QString::number(SrcW));
    txtHeight_[0]->setText(QString::number(SrcH));
    txtCx_[0]->setText(fixed2(SrcPrm.Cx));
    txtCy_[0]->setText(fixed2(SrcPrm.Cy));
    txtR_[0]->setText(fixed2(SrcPrm.R));
    txtRot_[0]->setText(fixed2(SrcPrm.Rot));
    txtRot_[1]->setText(fixed2(RefX));
    txtRot_[2]->setText(fixed2(RefY));
    select(cmbS_, SrcPrm.Proj);
    txtWidth_[1]->setText(QString::number(DstW));
    txtHeight_[1]->setText(QString::number(DstH));
    txtCx_[1]->setText(fixed2(DstPrm.Cx));
    txtCy_[1]->setText(fixed2(DstPrm.Cy));
    txtR_[1]->setText(fixed2(DstPrm.R));
    select(cmbD_, DstPrm.Proj);
    select(cmbI_, Interp);
    select(cmbG_[0], GridR);
    select(cmbG_[1], GridTheta);
    // The box follows GridOn, so that a dialog loaded again after the grid
    // was switched off does not show it ticked.
    chkGrid_->setChecked(GridOn);
}

void FormatWindow::Apply()
{
    applyPending_ = false;
    if (!isEnabled())
        return;
    const QScopedValueRollback<bool> guard(applying_, true);

    std::array<std::string, kEditableFields> texts;
    for (int i = 0; i < kEditableFields; ++i)
        texts[static_cast<std::size_t>(i)] = field(static_cast<Field>(i))->text().toStdString();
    if (const std::optional<Field> invalid = firstInvalid(texts, SrcW, SrcH)) {
        // A list opened by the click that left the field stays shut.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        dialogs().message(this, QStringLiteral("Illegal Value"), QMessageBox::Warning);
        field(*invalid)->setFocus(Qt::OtherFocusReason);
        return;
    }

    bool changed = false;
    const auto rules = fieldRules(SrcW, SrcH);
    const auto value = [&](Field which) {
        // Validated above, so the value is there.
        return fieldValue(rules[static_cast<std::size_t>(which)], texts[static_cast<std::size_t>(which)])
            .value_or(0.0);
    };
    const auto storeDouble = [&](double& global, Field which) {
        const double v = value(which);
        if (global != v) {
            global = v;
            changed = true;
        }
    };
    const auto storeSingle = [&](float& global, Field which) {
        const auto v = static_cast<float>(value(which));
        if (global != v) {
            global = v;
            changed = true;
        }
    };
    const auto storeInteger = [&](int32_t& global, Field which) {
        const auto v = static_cast<int32_t>(value(which));
        if (global != v) {
            global = v;
            changed = true;
        }
    };
    storeDouble(SrcPrm.Cx, Field::SrcCx);
    storeDouble(SrcPrm.Cy, Field::SrcCy);
    storeDouble(SrcPrm.R, Field::SrcR);
    storeDouble(SrcPrm.Rot, Field::SrcRot);
    storeSingle(RefX, Field::RefX);
    storeSingle(RefY, Field::RefY);
    storeInteger(DstW, Field::DstW);
    storeInteger(DstH, Field::DstH);
    storeDouble(DstPrm.Cx, Field::DstCx);
    storeDouble(DstPrm.Cy, Field::DstCy);
    storeDouble(DstPrm.R, Field::DstR);

    set_param();
    if (!changed)
        return;
    ref2angle();
    src_update();
    if (!isImage(hDst))
        return;
    if (RixWidth(hDst) != DstW || RixHeight(hDst) != DstH) {
        (void)RixDestroy(hDst);
        hDst = RixCreate(DstW, DstH);
        dst_reset_sc();
    }
    convert();
    if (AreaOn)
        area_update();
    dst_update();
}

bool FormatWindow::appliesOnFocusOut(Qt::FocusReason reason)
{
    switch (reason) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        return true;
    default:
        // ActiveWindowFocusReason (a message box, another window),
        // PopupFocusReason, MenuBarFocusReason, NoFocusReason.
        return false;
    }
}

bool FormatWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (qobject_cast<QLineEdit*>(watched) && !applying_) {
        if (event->type() == QEvent::MouseButtonDblClick)
            Apply();
        else if (event->type() == QEvent::FocusOut
                 && appliesOnFocusOut(static_cast<QFocusEvent*>(event)->reason()))
            applyAfterFocusMove();
    }
    return QWidget::eventFilter(watched, event);
}

void FormatWindow::applyAfterFocusMove()
{
    // Applied once the focus has settled on its new widget, so that the
    // message box and the return to an invalid field do not run inside
    // Qt's focus change. An Apply in between (the Apply button pressed with
    // the mouse) makes this one unnecessary.
    if (applyPending_)
        return;
    applyPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (applyPending_)
            Apply();
    });
}

void FormatWindow::cmdApply_Click() { Apply(); }

void FormatWindow::cmdReset_Click()
{
    reset_src_param(true);
    src_update();
    convert();
    dst_update();
}

void FormatWindow::cmbS_Click(int index)
{
    if (index < 0)
        return;
    SrcPrm.Proj = index;
    convert();
    dst_update();
}

void FormatWindow::cmbD_Click(int index)
{
    if (index < 0)
        return;
    DstPrm.Proj = index;
    convert();
    dst_update();
}

void FormatWindow::cmbI_Click(int index)
{
    if (index < 0)
        return;
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
