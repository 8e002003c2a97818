// frmFormat: the conversion parameters dialog, caption "Format". It holds no
// state: set_param copies the globals into its fields and Apply validates
// the fields, stores them and runs the conversion again. Setting a list from
// code raises the list's handler exactly as a user's choice does (Qt sends
// currentIndexChanged only on a real change, and so does the handler run).
#pragma once

#include "parameter_fields.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace karwen::ui {

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
    [[nodiscard]] QLineEdit* field(Field which) const;

    // Whether losing the focus for this reason applies the dialog: only a
    // move of the focus inside the program does, not the focus that a
    // message box or a switch to another window takes away.
    [[nodiscard]] static bool appliesOnFocusOut(Qt::FocusReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* createSourceFrame();
    QGroupBox* createDestinationFrame();
    QLineEdit* addField(QGridLayout* grid, int row, int column, const QString& objectName,
                        const QString& label, const QString& toolTip);
    QLabel* addLabel(QGridLayout* grid, int row, int column, const QString& text);
    QComboBox* addList(const QString& objectName, const QStringList& items);
    void addListRow(QGridLayout* grid, int row, const QString& label, QComboBox* list);

    void applyAfterFocusMove();
    void cmdApply_Click();
    void cmdReset_Click();
    void cmbS_Click(int index);
    void cmbD_Click(int index);
    void cmbI_Click(int index);
    void cmbG_Click(int listIndex, int index);
    void chkGrid_Click(bool ticked);

    // txtWidth(0/1), txtHeight(0/1), txtCx(0/1), txtCy(0/1), txtR(0/1),
    // txtRot(0..2) as the design names them.
    std::array<QLineEdit*, 2> txtWidth_{};
    std::array<QLineEdit*, 2> txtHeight_{};
    std::array<QLineEdit*, 2> txtCx_{};
    std::array<QLineEdit*, 2> txtCy_{};
    std::array<QLineEdit*, 2> txtR_{};
    std::array<QLineEdit*, 3> txtRot_{};
    QComboBox* cmbS_ = nullptr;
    QComboBox* cmbD_ = nullptr;
    QComboBox* cmbI_ = nullptr;
    std::array<QComboBox*, 2> cmbG_{};
    QCheckBox* chkGrid_ = nullptr;
    QPushButton* cmdReset_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
    int labelCount_ = 0;
    int fieldWidth_ = 0;
    int rowHeight_ = 0; // of fields, lists and buttons: compact rows
    // Focus moves that Apply itself causes (the message box, the return to
    // the invalid field) must not apply once more.
    bool applying_ = false;
    // A focus-out asked for an Apply that has not run yet.
    bool applyPending_ = false;
};

} // namespace karwen::ui
