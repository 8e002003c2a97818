// frmBatch: the batch conversion dialog, caption "Batch Conversion". The user
// picks a source and a destination folder, moves image files between "All
// Files" and "Selected Files", chooses the output format and postfix and
// edits the conversion parameters (the same globals as frmFormat, with the
// batch's own bounds); "Start" converts the selected files one by one.
// Shown modal with exec(); constructing it runs Form_Load.
#pragma once

#include "parameter_fields.h"

#include <QDialog>
#include <QString>

#include <array>

class QComboBox;
class QGroupBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace karwen::ui {

class BatchDialog : public QDialog {
    Q_OBJECT
public:
    explicit BatchDialog(QWidget* parent = nullptr);

    void set_param();
    void Apply();

    // The text box of an editable field.
    [[nodiscard]] QLineEdit* field(Field which) const;
    [[nodiscard]] const QString& OutExt() const { return OutExt_; }

    // Handlers, public so that the dialog can be driven without a mouse.
    void cmdBrowseS_Click();
    void cmdBrowseD_Click();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdAddAll_Click();
    void cmdRemoveAll_Click();
    void cmdStart_Click();
    void cmdCancel_Click();

    // A source size the batch bounds its centre and reference point by:
    // the sources are many files of any size.
    static constexpr int32_t kSourceBound = 2048;

signals:
    // The progress label has just been repainted with this text.
    void progressShown(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void createColumns();
    QGroupBox* createSourceFrame();
    QGroupBox* createDestinationFrame();
    QLineEdit* addField(QGridLayout* grid, int row, int column, const QString& objectName,
                        const QString& label, const QString& toolTip);
    QLabel* addLabel(QGridLayout* grid, int row, int column, const QString& text);
    void addListRow(QGridLayout* grid, int row, const QString& label, QWidget* control);
    QPushButton* addButton(const QString& objectName, const QString& caption);
    // Places a control by its design position in twips.
    void place(QWidget* widget, int left, int top, int width, int height);
    [[nodiscard]] int px(int twips) const;

    // Validates and stores the fields; false when a field was refused.
    bool applyFields();
    void applyAfterFocusMove();
    void ListImageFiles(QListWidget* list, const QString& folder);
    [[nodiscard]] QString BrowseFolder();
    void showSelectedCount();
    void showProgress(const QString& text);

    // txtWidth(1), txtHeight(1), txtCx(0/1), txtCy(0/1), txtR(0/1),
    // txtRot(0..2) as the design names them.
    QLineEdit* txtWidth1_ = nullptr;
    QLineEdit* txtHeight1_ = nullptr;
    std::array<QLineEdit*, 2> txtCx_{};
    std::array<QLineEdit*, 2> txtCy_{};
    std::array<QLineEdit*, 2> txtR_{};
    std::array<QLineEdit*, 3> txtRot_{};
    QComboBox* cmbS_ = nullptr;
    QComboBox* cmbD_ = nullptr;
    QComboBox* cmbI_ = nullptr;
    QComboBox* cmbF_ = nullptr;
    QLineEdit* txtFolderS_ = nullptr;
    QLineEdit* txtFolderD_ = nullptr;
    QLineEdit* txtpostfix_ = nullptr;
    QListWidget* lstS_ = nullptr;
    QListWidget* lstD_ = nullptr;
    QLabel* lblAll_ = nullptr;
    QLabel* lblSelected_ = nullptr;
    QLabel* lblProcess_ = nullptr;
    QPushButton* cmdStart_ = nullptr;

    QString OutExt_;
    double scale_ = 1.0; // pixels per 15 twips, grown with the font
    int labelCount_ = 0;
    int fieldWidth_ = 0;
    bool applying_ = false;
    bool applyPending_ = false;
};

} // namespace karwen::ui
