// The conversion parameters as both dialogs show them: labelled number
// fields with tool tips and lists in the grids of titled frames, labels
// named "lbl(n)" in the order they are made, and the rule that a field left
// for another widget of the program applies the owner's fields.
#pragma once

#include "parameter_apply.h"
#include "parameter_fields.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace karwen::ui {

class ParameterForm : public QObject {
    Q_OBJECT
public:
    // Compact: every field exactly fieldWidth by rowHeight, lists rowHeight
    // high. Stretching: fields at least fieldWidth wide and the field columns
    // sharing the frame's width, natural heights.
    enum class Sizing { Compact, Stretching };

    // apply runs the owner's Apply; the form is a child of the owner.
    ParameterForm(QObject* owner, Sizing sizing, int fieldWidth, int rowHeight, std::function<void()> apply);

    struct Frame {
        QGroupBox* box;
        QGridLayout* grid;
    };
    // A titled frame with the parameters' grid: caption and field pairs in
    // columns 0-1 and 2-3.
    [[nodiscard]] Frame newFrame(const QString& title, const QString& objectName) const;

    // A label with the next "lbl(n)" name, placed by the caller.
    QLabel* newLabel(const QString& text);
    QLabel* addLabel(QGridLayout* grid, int row, int column, const QString& text);
    // A caption in the column and its field to the right, both with the tip.
    QLineEdit* addField(QGridLayout* grid, int row, int column, const QString& objectName, const QString& label,
        const QString& toolTip);
    [[nodiscard]] QComboBox* newList(const QString& objectName, const QStringList& items) const;
    // A captioned control across the frame: compact, the caption beside it
    // in one row; stretching, the caption above it (two rows).
    void addListRow(QGridLayout* grid, int row, const QString& label, QWidget* control);

    // The source centre, radius, tilt and reference point in three rows.
    void addSourceFields(QGridLayout* grid, int row) { addFields(grid, row, Field::SrcCx, Field::RefPointY); }
    // The destination size, centre and radius in three rows.
    void addDestinationFields(QGridLayout* grid, int row) { addFields(grid, row, Field::DstWidth, Field::DstR); }
    // One of the editable fields made above.
    [[nodiscard]] QLineEdit* field(Field which) const;
    // The editable fields show the globals they stand for.
    void showGlobals() const;
    // The projections a list offers, in the table's order: those a photo
    // may have (sources) or those a conversion may make.
    [[nodiscard]] static QStringList projectionNames(bool sources);
    // Appends them to list, each item holding its code (Qt::UserRole).
    static void addProjections(QComboBox* list, bool sources);
    // The code a projection item holds; nullopt for any other item.
    [[nodiscard]] static std::optional<int32_t> projectionAt(const QComboBox* list, int item);
    // The item holding code; -1 when the list has none.
    [[nodiscard]] static int projectionItem(const QComboBox* list, int32_t code);
    // The interpolation list's items, in the globals' order.
    [[nodiscard]] static const QStringList& interpolations();
    // A list selection from a global; an index the list does not have shows
    // no selection (and the handlers ignore it).
    static void select(QComboBox* list, int index);

    // Whether losing the focus for this reason applies the fields: only a
    // move of the focus inside the program does, not the focus that a
    // message box or a switch to another window takes away.
    [[nodiscard]] static bool appliesOnFocusOut(Qt::FocusReason reason);

    // The pending focus-out Apply is done: the owner's Apply runs now, or
    // the owner is closing and drops it.
    void settlePendingApply() { applyPending_ = false; }
    // The owner's Apply: the pending focus-out Apply settled, nothing while
    // the owner is disabled, and no focus move during it applies again;
    // then applyParameters with the fields read under bounds (readValues).
    // False when a field was refused.
    bool apply(QWidget* owner, const FieldBounds& bounds, const ParameterApply& how);
    // Validates the eleven fields in table order under the bounds given
    // (the window's photo, or the batch's). At the first invalid field:
    // "Illegal Value" over messageParent with illegalValueDetail, the focus
    // back to that field, nullopt. Otherwise the values the fields hold.
    [[nodiscard]] std::optional<ParameterValues> readValues(QWidget* messageParent, const FieldBounds& bounds) const;

    // What "Illegal Value" adds about the field: its frame, caption and tip,
    // and the values it takes under the bounds given.
    [[nodiscard]] static QString illegalValueDetail(
        Field which, const FieldBounds& bounds, const QString& text = QString());

    // A focus-out asked for an Apply that has not run yet.
    [[nodiscard]] bool applyPending() const { return applyPending_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addFields(QGridLayout* grid, int row, Field first, Field last);
    void applyAfterFocusMove();

    Sizing sizing_;
    int fieldWidth_;
    int rowHeight_;
    std::function<void()> apply_;
    std::array<QLineEdit*, kEditableFields> fields_{};
    int labelCount_ = 0;
    // Focus moves that Apply itself causes (the message box, the return to
    // the invalid field) must not apply once more.
    bool applying_ = false;
    bool applyPending_ = false;
};

} // namespace karwen::ui
