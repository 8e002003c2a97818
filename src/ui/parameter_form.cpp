#include "parameter_form.h"

#include "dialog_seam.h"
#include "mdl_karwen.h"

#include <QApplication>

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

#include <utility>

namespace karwen::ui {

ParameterForm::ParameterForm(QObject* owner, Sizing sizing, int fieldWidth, int rowHeight, std::function<void()> apply)
    : QObject(owner)
    , sizing_(sizing)
    , fieldWidth_(fieldWidth)
    , rowHeight_(rowHeight)
    , apply_(std::move(apply))
{
}

ParameterForm::Frame ParameterForm::newFrame(const QString& title, const QString& objectName) const
{
    auto* box = new QGroupBox(title);
    box->setObjectName(objectName);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(6, 4, 6, 6);
    if (sizing_ == Sizing::Stretching) {
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
    }
    return {box, grid};
}

QLabel* ParameterForm::newLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("lbl(%1)").arg(labelCount_++));
    return label;
}

QLabel* ParameterForm::addLabel(QGridLayout* grid, int row, int column, const QString& text)
{
    QLabel* label = newLabel(text);
    grid->addWidget(label, row, column);
    return label;
}

QLineEdit* ParameterForm::addField(
    QGridLayout* grid, int row, int column, const QString& objectName, const QString& label, const QString& toolTip)
{
    addLabel(grid, row, column, label)->setToolTip(toolTip);
    auto* field = new QLineEdit;
    field->setObjectName(objectName);
    field->setToolTip(toolTip);
    if (sizing_ == Sizing::Compact)
        field->setFixedSize(fieldWidth_, rowHeight_);
    else
        field->setMinimumWidth(fieldWidth_);
    field->installEventFilter(this);
    grid->addWidget(field, row, column + 1);
    return field;
}

QComboBox* ParameterForm::newList(const QString& objectName, const QStringList& items) const
{
    auto* list = new QComboBox;
    list->setObjectName(objectName);
    list->setEditable(false);
    list->addItems(items);
    if (sizing_ == Sizing::Compact)
        list->setFixedHeight(rowHeight_);
    return list;
}

void ParameterForm::addListRow(QGridLayout* grid, int row, const QString& label, QWidget* control)
{
    if (sizing_ == Sizing::Compact) {
        // Side by side across the frame keeps the window short.
        auto* line = new QHBoxLayout;
        line->setSpacing(4);
        line->addWidget(newLabel(label));
        line->addWidget(control, 1);
        grid->addLayout(line, row, 0, 1, 4);
    } else {
        // Narrow columns: the caption above, the control across.
        grid->addWidget(newLabel(label), row, 0, 1, 4);
        grid->addWidget(control, row + 1, 0, 1, 4);
    }
}

namespace {

struct FieldSpec {
    const char* name;
    const char8_t* label;
    const char* toolTip;
    int row; // counted from the first field's row
    int column;
};

// In the order of Field.
constexpr std::array<FieldSpec, kEditableFields> kFieldSpecs{{
    {"txtCx(0)", u8"X", "x coordinates of viewpoint", 0, 0},
    {"txtCy(0)", u8"Y", "y coordinates of viewpoint", 0, 2},
    {"txtR(0)", u8"R", "radius", 1, 0},
    {"txtRot(0)", u8"\u03B3", "tilt angle [deg]", 1, 2},
    {"txtRot(1)", u8"Xr", "x coordinates of view reference point", 2, 0},
    {"txtRot(2)", u8"Yr", "y coordinates of view reference point", 2, 2},
    {"txtWidth(1)", u8"W", "width", 0, 0},
    {"txtHeight(1)", u8"H", "height", 0, 2},
    {"txtCx(1)", u8"X", "x coordinates of viewpoint", 1, 0},
    {"txtCy(1)", u8"Y", "y coordinates of viewpoint", 1, 2},
    {"txtR(1)", u8"R", "radius", 2, 0},
}};

const FieldSpec& specOf(Field which) { return kFieldSpecs[static_cast<std::size_t>(which)]; }

} // namespace

void ParameterForm::addFields(QGridLayout* grid, int row, Field first, Field last)
{
    for (auto i = static_cast<std::size_t>(first); i <= static_cast<std::size_t>(last); ++i) {
        const FieldSpec& spec = kFieldSpecs[i];
        fields_[i] = addField(grid, row + spec.row, spec.column, QString::fromLatin1(spec.name),
            QString::fromUtf8(spec.label), QString::fromLatin1(spec.toolTip));
    }
}

QString ParameterForm::illegalValueDetail(Field which, const FieldBounds& bounds, const QString& text)
{
    const FieldSpec& spec = specOf(which);
    // Both dialogs title their frames so.
    const QString frame
        = which < Field::DstWidth ? QStringLiteral("Source Image") : QStringLiteral("Destination Image");
    const FieldRule rule = fieldRules(bounds)[static_cast<std::size_t>(which)];
    const std::string allowed = allowedValuesText(rule);
    QString detail = QStringLiteral("%1 %2 (%3) must be %4")
                         .arg(frame, QString::fromUtf8(spec.label), QString::fromLatin1(spec.toolTip),
                             QString::fromStdString(allowed));
    // A decimal comma, as many keyboards type it, that a point would make valid.
    QString pointed = text.trimmed();
    pointed.replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.contains(QLatin1Char(',')) && text.count(QLatin1Char(',')) == 1
        && fieldValue(rule, pointed.toStdString()).has_value())
        detail += QStringLiteral("; use a point: %1").arg(pointed);
    return detail + QLatin1Char('.');
}

QLineEdit* ParameterForm::field(Field which) const
{
    const auto i = static_cast<std::size_t>(which);
    return i < fields_.size() ? fields_[i] : nullptr;
}

namespace {

bool isOffered(const ProjectionKind& kind, bool sources) { return !kind.lens && (kind.fisheye || !sources); }

} // namespace

QStringList ParameterForm::projectionNames(bool sources)
{
    QStringList names;
    for (const ProjectionKind& kind : kProjectionKinds) {
        if (isOffered(kind, sources))
            names << QString::fromLatin1(kind.name);
    }
    return names;
}

void ParameterForm::addProjections(QComboBox* list, bool sources)
{
    for (const ProjectionKind& kind : kProjectionKinds) {
        if (isOffered(kind, sources))
            list->addItem(QString::fromLatin1(kind.name), kind.code);
    }
}

std::optional<int32_t> ParameterForm::projectionAt(const QComboBox* list, int item)
{
    const QVariant code = item >= 0 ? list->itemData(item) : QVariant();
    if (code.typeId() != QMetaType::Int)
        return std::nullopt;
    return code.toInt();
}

int ParameterForm::projectionItem(const QComboBox* list, int32_t code) { return list->findData(code); }

const QStringList& ParameterForm::interpolations()
{
    static const QStringList items{QStringLiteral("Nerest"), QStringLiteral("Bi-Linear"), QStringLiteral("Cubic Conv")};
    return items;
}

void ParameterForm::select(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void ParameterForm::showGlobals() const
{
    const auto show = [this](Field which, const QString& text) { field(which)->setText(text); };
    const auto fixed2 = [](double value) { return QString::fromStdString(formatFixed2(value)); };
    show(Field::SrcCx, fixed2(SrcPrm.Cx));
    show(Field::SrcCy, fixed2(SrcPrm.Cy));
    show(Field::SrcR, fixed2(SrcPrm.R));
    show(Field::SrcRot, fixed2(SrcPrm.Rot));
    show(Field::RefPointX, fixed2(RefX));
    show(Field::RefPointY, fixed2(RefY));
    show(Field::DstWidth, QString::number(DstW));
    show(Field::DstHeight, QString::number(DstH));
    show(Field::DstCx, fixed2(DstPrm.Cx));
    show(Field::DstCy, fixed2(DstPrm.Cy));
    show(Field::DstR, fixed2(DstPrm.R));
}

bool ParameterForm::appliesOnFocusOut(Qt::FocusReason reason)
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

bool ParameterForm::eventFilter(QObject* watched, QEvent* event)
{
    if (qobject_cast<QLineEdit*>(watched) && !applying_) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // Enter applies the field, as leaving it does, and goes no
            // further: a dialog's default button must not take it.
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                apply_();
                return true;
            }
        }
        if (event->type() == QEvent::MouseButtonDblClick)
            apply_();
        else if (event->type() == QEvent::FocusOut && appliesOnFocusOut(static_cast<QFocusEvent*>(event)->reason()))
            applyAfterFocusMove();
    }
    return QObject::eventFilter(watched, event);
}

void ParameterForm::applyAfterFocusMove()
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
            apply_();
    });
}

bool ParameterForm::apply(QWidget* owner, const FieldBounds& bounds, const ParameterApply& how)
{
    settlePendingApply();
    if (!owner->isEnabled())
        return true;
    const QScopedValueRollback<bool> guard(applying_, true);
    return applyParameters(how, [this, owner, &bounds] { return readValues(owner, bounds); });
}

std::optional<ParameterValues> ParameterForm::readValues(QWidget* messageParent, const FieldBounds& bounds) const
{
    std::array<std::string, kEditableFields> texts;
    for (int i = 0; i < kEditableFields; ++i)
        texts[static_cast<std::size_t>(i)] = field(static_cast<Field>(i))->text().toStdString();
    if (const std::optional<Field> invalid = firstInvalid(texts, bounds)) {
        // A list opened by the click that left the field stays shut.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        dialogs().messageWithDetail(messageParent, QStringLiteral("Illegal Value"),
            illegalValueDetail(*invalid, bounds, QString::fromStdString(texts[std::size_t(*invalid)])),
            QMessageBox::Warning);
        field(*invalid)->setFocus(Qt::OtherFocusReason);
        return std::nullopt;
    }
    return parameterValues(texts, bounds);
}

} // namespace karwen::ui
