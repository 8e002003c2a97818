// frmFormat: the conversion parameters dialog, caption "Format". It holds no
// state: set_param copies the globals into its fields and Apply validates
// the fields, stores them and runs the conversion again. Setting a list from
// code runs the list's handler exactly as a user's choice does; Qt sends
// currentIndexChanged only when the index really changes, so only then.
#pragma once

#include "parameter_fields.h"
#include "parameter_form.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace karwen::ui {

class SourceProjectionList;

class FormatWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormatWindow(QWidget* parent = nullptr);

    // Moves the window (its MDI frame when it has one) to the top-left
    // corner of the area, then set_param.
    void Form_Load();
    void set_param();
    void Apply();

    // The text box of an editable field.
    [[nodiscard]] QLineEdit* field(Field which) const { return form_->field(which); }

private:
    // Apply; false when a field was refused.
    bool applyFields();
    QGroupBox* createSourceFrame();
    QGroupBox* createDestinationFrame();

    void cmdApply_Click();
    void cmdReset_Click();
    void cmbS_Click();
    void cmbD_Click(int index);
    void cmbI_Click(int index);
    void cmbG_Click(int listIndex, int index);
    void chkGrid_Click(bool ticked);

    ParameterForm* form_ = nullptr; // the editable fields
    // txtWidth(0), txtHeight(0): the source image's size, shown only.
    QLineEdit* txtWidth0_ = nullptr;
    QLineEdit* txtHeight0_ = nullptr;
    SourceProjectionList* cmbS_ = nullptr;
    QComboBox* cmbD_ = nullptr;
    QComboBox* cmbI_ = nullptr;
    std::array<QComboBox*, 2> cmbG_{};
    QCheckBox* chkGrid_ = nullptr;
    QPushButton* cmdReset_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
    int rowHeight_ = 0; // of fields, lists and buttons: compact rows
};

} // namespace karwen::ui
