// frmDst: the destination image view. It owns its two tools and chooses
// between them: the area tool (circle outline and sample dots, painting)
// while area measurement is on, the grid tool otherwise.
#pragma once

#include "area_tool.h"
#include "grid_tool.h"
#include "image_view.h"

#include <QColor>
#include <QPointF>

namespace karwen::views {

class DstView : public ImageView {
    Q_OBJECT
public:
    explicit DstView(QWidget* parent = nullptr);

    [[nodiscard]] GridTool& gridTool() { return grid_; }
    [[nodiscard]] AreaTool& areaTool() { return area_; }

    // The destination circle in view pixels at the current zoom and offsets.
    struct ViewCircle {
        QPointF centre;
        double radius = 0.0;
    };
    [[nodiscard]] ViewCircle destinationCircle() const;

    // The picture's foreground colour: the grid's pen. Filled dots leave it
    // at the colour of the last dot drawn, which a later grid inherits.
    [[nodiscard]] QColor foreground() const { return foreground_; }
    void setForeground(QColor colour) { foreground_ = colour; }

    // Turns the sample dots into view positions for the current zoom and
    // offsets while area measurement is on.
    void set_AreaParamXYD();
    // Load work that belongs to area measurement: before placing (class
    // counts and label colours) and after the first zoom (reset, cursors).
    void setAreaLoadWork(std::function<void()> beforePlace, std::function<void()> afterScale);

protected:
    [[nodiscard]] int32_t imageHandle() const override;
    [[nodiscard]] QSize imageSize() const override;
    [[nodiscard]] QString caption(const QString& percent) const override;
    [[nodiscard]] float loadScale() const override { return 1.0f; }
    ViewTool* currentTool() override;
    void beforePlace() override;
    void afterLoadScale() override;
    void offsetsChanged() override { set_AreaParamXYD(); }

private:
    GridTool grid_;
    AreaTool area_;
    QColor foreground_ = Qt::white;
    std::function<void()> areaBeforePlace_;
    std::function<void()> areaAfterScale_;
};

} // namespace karwen::views
