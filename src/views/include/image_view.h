// The zoomable, scrolling image window shared by the source and the
// destination view: a picture (`pct`) showing one rectangle of the image
// stretched by the zoom factor, two scroll bars that choose the rectangle,
// and the grip picture in the corner between them. The subclasses name the
// image, the caption, the placement and the overlay tool.
#pragma once

#include "view_geometry.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QScrollBar;

namespace karwen::views {

class PictureArea;
class ViewTool;

class ImageView : public QWidget {
    Q_OBJECT
public:
    // Scroll bars and the grip are this many pixels thick.
    static constexpr int kBarExtent = 17;

    ImageView(const QString& tag, QWidget* parent = nullptr);
    ~ImageView() override;

    // Places the window, measures its frame and chooses the zoom. Run once
    // the view sits in its outer window. False when there is no image: the
    // window has closed itself then.
    bool load();
    // Where the outer window goes at load (its top-left corner).
    void setLoadPosition(std::function<QPoint()> where) { loadPosition_ = std::move(where); }
    // The outer geometry a window of an earlier photo had: the window takes
    // it at load instead of its place and size, and keeps it whatever the zoom.
    void setLoadGeometry(std::optional<QRect> kept) { loadGeometry_ = kept; }
    // Asked when the user closes the window by its close box; false keeps
    // it open. The program's own unload() does not ask.
    void setCloseGuard(std::function<bool()> mayClose) { mayClose_ = std::move(mayClose); }
    // Closing by the program: the window closes without asking.
    void unload();

    // Sets the zoom; the image point at the picture's centre stays there.
    void set_sc(float scale);
    // Sizes the window to show the whole image at the zoom, as far as the
    // frame has room: a larger picture scrolls inside it.
    void fit();
    // The zoom at which the whole image fits the window as it is now.
    void fitToWindow();
    // Sets the zoom keeping the image point under this picture position.
    void zoomAt(float scale, QPointF picturePosition);
    void pct_update();
    void sb_set();

    [[nodiscard]] float viewScale() const { return viewScale_; }
    [[nodiscard]] ViewMapping mapping() const;
    [[nodiscard]] QSize pictureSize() const;
    [[nodiscard]] int viewX0() const { return viewX0_; }
    [[nodiscard]] int viewY0() const { return viewY0_; }
    [[nodiscard]] bool ready() const { return ready_; }
    [[nodiscard]] int frameExtraW() const { return frameExtraW_; }
    [[nodiscard]] int frameExtraH() const { return frameExtraH_; }
    // The widget the image is shown in, that takes the mouse; what it is
    // beyond a widget is this folder's own business.
    [[nodiscard]] QWidget* picture() const;
    [[nodiscard]] QScrollBar* hsb() const { return hsb_; }
    [[nodiscard]] QScrollBar* vsb() const { return vsb_; }
    [[nodiscard]] QImage& canvas();
    // The window that is moved and sized: the MDI sub-window when there is
    // one, else the view itself.
    [[nodiscard]] QWidget* outerWindow();

    // What dragging does at this picture position, for the status bar; ""
    // where nothing can be dragged.
    [[nodiscard]] virtual QString handleHint(QPointF) const { return {}; }

signals:
    // The mouse is over the picture at this image point (y counted up from
    // the bottom edge) and picture position; or it has left the picture.
    void pointerOver(QPointF imagePoint, QPointF picturePosition);
    void pointerGone();
    // Closing has started; the view is no longer drawn nor reloaded.
    void unloading();
    // Closing is done, close_image included.
    void unloaded();

protected:
    [[nodiscard]] virtual int32_t imageHandle() const = 0;
    [[nodiscard]] virtual QSize imageSize() const = 0;
    [[nodiscard]] virtual QString caption(const QString& percent) const = 0;
    [[nodiscard]] virtual float loadScale() const = 0;
    virtual ViewTool* currentTool() = 0;
    // Load work before placing and after the first set_sc.
    virtual void beforePlace() { }
    virtual void afterLoadScale() { }
    // The scroll offsets or the layout changed (dot positions follow).
    virtual void offsetsChanged() { }

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The wheel scrolls the picture; with Ctrl it steps through the zooms.
    void wheelEvent(QWheelEvent* event) override;

private:
    // Zooms and scrolls so that the image point shows at `to`, a position in
    // the picture after the zoom (its centre when empty).
    void zoomKeeping(float scale, QPointF imagePoint, std::optional<QPointF> to);
    // The largest picture the frame has room for where the window stands;
    // unlimited outside a frame.
    [[nodiscard]] QSize pictureRoom();
    void scrollByWheel(QPoint angleDelta);
    void layoutChildren();
    // Lays the picture out in the window as it stands, at the new zoom.
    void relayout();
    void hsbChange(int value);
    void vsbChange(int value);
    void clearMargins(QImage& canvas, QSize picture, QSize image);

    PictureArea* pct_;
    QScrollBar* hsb_;
    QScrollBar* vsb_;
    QLabel* imgResize_;

    float viewScale_ = 1.0f;
    float scaledW_ = 0.0f;
    float scaledH_ = 0.0f;
    int16_t frameExtraW_ = 0;
    int16_t frameExtraH_ = 0;
    int32_t viewX0_ = 0;
    int32_t viewY0_ = 0;
    bool ready_ = false;
    bool unloading_ = false;
    bool unloadRequested_ = false;
    // Wheel turns not yet used up: scrolling in image pixels, zoom in steps.
    QPointF wheelScrollRest_;
    int wheelZoomRest_ = 0;
    std::function<QPoint()> loadPosition_;
    std::optional<QRect> loadGeometry_;
    // The window has its size: zooming scales the picture inside it.
    bool sized_ = false;
    std::function<bool()> mayClose_;
};

} // namespace karwen::views
