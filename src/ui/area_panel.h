// frmArea: the area measurement panel, caption "Area". Switches area
// measurement on and off, chooses the dot style, the brush size and the
// class the brush paints, shows the share of every class, and offers
// "reset", "Log" and "Clear". Its state lives in the area globals; the only
// state of its own is the loading flag.
#pragma once

#include "area_brush.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace karwen::ui {

class WindowRegistry;

class AreaPanel : public QWidget {
    Q_OBJECT
public:
    explicit AreaPanel(WindowRegistry& windows, QWidget* parent = nullptr);

    // set_param with the loading flag set, so that the dot style and brush
    // handlers it runs leave the destination view alone. The registry has
    // placed the panel below the parameters dialog by then.
    void Form_Load();
    // The globals into the controls: dot style, brush size, then the class.
    void set_param();

    // Label k (0..15) shows ClassPercentText of ClassCount[k].
    void showClassText(int k);
    void showAllClassTexts();
    // The hover highlight on and off, as the mouse on the picture asks.
    void restoreLabel(int k);
    void highlightLabel(int k);
    void applyMouseResult(const AreaMouseResult& result);
    // When the destination view loads: labels 1..15 get their class colour
    // as text colour (label 0 keeps the default one).
    void colourClassLabels();

    [[nodiscard]] bool loading() const { return loading_; }
    [[nodiscard]] QLabel* lblcs(int k) const;
    [[nodiscard]] QCheckBox* chkAreaMeasure() const { return chkAreaMeasure_; }
    [[nodiscard]] QRadioButton* optDot(int i) const;
    [[nodiscard]] QRadioButton* optBrush(int i) const;
    [[nodiscard]] QRadioButton* optRgn(int k) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowRegistry& windows_;
    QGroupBox* addFrame(int index, const QString& caption, QRect twips);
    void createToolRow(QGroupBox* frame, const QString& prefix, std::array<QRadioButton*, 4>& buttons);
    void createClassRows(QGroupBox* frame);
    void setLabelColours(int k, uint32_t text, uint32_t back);

    void chkAreaMeasure_Click(bool checked);
    void cmdReset_Click();
    void optDot_Click(int index);
    void optBrush_Click(int index);
    void optRgn_Click(int index);
    void cmdLog_Click();
    void cmdClear_Click();
    // A short note in the frame's status bar: where the log went.
    void showNote(const QString& text);
    void Form_KeyUp(int keyCode);

    QCheckBox* chkAreaMeasure_ = nullptr;
    QPushButton* cmdReset_ = nullptr;
    std::array<QRadioButton*, 4> optDot_{};
    std::array<QRadioButton*, 4> optBrush_{};
    std::array<QRadioButton*, kAreaClassCount> optRgn_{}; // element 0 unused
    std::array<QLabel*, kAreaClassCount> lblcs_{};
    QPushButton* cmdLog_ = nullptr;
    QPushButton* cmdClear_ = nullptr;
    bool loading_ = false;
};

} // namespace karwen::ui
