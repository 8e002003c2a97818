// frmDst: the destination image view with the grid, or the area dots while
// area measurement is on.
#pragma once

#include "grid_tool.h"
#include "image_view.h"

namespace karwen::views {

class DstView : public ImageView {
    Q_OBJECT
public:
    explicit DstView(QWidget* parent = nullptr);

    [[nodiscard]] GridTool& gridTool() { return tool_; }

    // Turns the sample dots into view positions for the current zoom and
    // offsets; the area measurement fills it in through setAreaDotPlacer.
    void set_AreaParamXYD();
    void setAreaDotPlacer(std::function<void(DstView&)> placer) { placeDots_ = std::move(placer); }
    // Load work that belongs to area measurement: before placing (class
    // counts and label colours) and after the first zoom (reset, cursors).
    void setAreaLoadWork(std::function<void()> beforePlace, std::function<void()> afterScale);

protected:
    [[nodiscard]] int32_t imageHandle() const override;
    [[nodiscard]] QSize imageSize() const override;
    [[nodiscard]] QString caption(const QString& percent) const override;
    [[nodiscard]] float loadScale() const override { return 1.0f; }
    ViewTool* currentTool() override { return &tool_; }
    void beforePlace() override;
    void afterLoadScale() override;
    void offsetsChanged() override { set_AreaParamXYD(); }

private:
    GridTool tool_;
    std::function<void(DstView&)> placeDots_;
    std::function<void()> areaBeforePlace_;
    std::function<void()> areaAfterScale_;
};

} // namespace karwen::views
