// The Canopy window's four parts: its controls, the canopy figures, the
// light figures and the pictures (polar plot and histogram), side by side
// in one row where the width allows it; narrower, the two tables go on a
// first row above the controls and the pictures, so that nothing is
// squeezed, the figures show first and the window scrolls up and down only.
#pragma once

#include <QWidget>

class QHBoxLayout;

namespace karwen::ui {

class CanopyPanes : public QWidget {
    Q_OBJECT
public:
    CanopyPanes(
        QWidget* controls, QWidget* canopyFigures, QWidget* lightFigures, QWidget* pictures, QWidget* parent = nullptr);

    // Lays the parts out for this much width.
    void fitWidth(int width);
    [[nodiscard]] bool stacked() const { return stacked_; }
    // The width one row of all four takes.
    [[nodiscard]] int rowWidth() const;

private:
    void arrange(bool stacked);

    QHBoxLayout* top_;
    QHBoxLayout* bottom_;
    QWidget* controls_;
    QWidget* canopyFigures_;
    QWidget* lightFigures_;
    QWidget* pictures_;
    bool stacked_ = false;
};

} // namespace karwen::ui
