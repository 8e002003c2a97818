// The picture of an image view (`pct`): shows the view's canvas, a QImage in
// Format_RGB32 that the imaging library blits into and the overlays XOR onto,
// and hands its mouse events to the view's current tool.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace karwen::views {

class ViewTool;

class PictureArea : public QWidget {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent = nullptr);

    // The canvas follows the picture size; its content is kept only until the
    // next full redraw.
    [[nodiscard]] QImage& canvas() { return canvas_; }
    // Gives the canvas the size; does nothing when it has it already.
    void resizeCanvas(QSize size);
    void setToolSource(std::function<ViewTool*()> source) { toolSource_ = std::move(source); }

signals:
    // The mouse moved over the picture (with or without a button) or let go
    // of a button there, or left it.
    void pointerMoved(QPointF position);
    void pointerLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    [[nodiscard]] ViewTool* tool() const { return toolSource_ ? toolSource_() : nullptr; }

    QImage canvas_;
    std::function<ViewTool*()> toolSource_;
};

} // namespace karwen::views
