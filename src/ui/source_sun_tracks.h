// The sun tracks on the source view, kept in line with the Light part:
// worked out again only when the settings, the photo, the circle they are
// drawn through or its lens change, and the view's north drag handed to the
// owner.
#pragma once

#include "light_row.h"
#include "rix.h"

#include <functional>
#include <optional>
#include <vector>

namespace karwen::views {
class SrcView;
}

namespace karwen::ui {

class SourceSunTracks {
public:
    // northDropped: the owner's answer to a north drag (CircleTool::setNorthDrop).
    explicit SourceSunTracks(std::function<bool(double photoAngleDeg)> northDropped);

    // The tracks of request over photo seen through record and lens
    // (nullptr for the record's ideal projection) on src.
    void show(views::SrcView& src, const canopy::LightRequest& request, int32_t photo, const ProjectionRecord& record,
        const RixLens* lens);
    // No tracks on src.
    void hide(views::SrcView& src);
    // The days of the tracks shown; none when hidden.
    [[nodiscard]] const std::vector<light::Date>& days() const { return days_; }

private:
    struct Inputs {
        canopy::LightRequest request;
        int32_t photo;
        ProjectionRecord record;
        std::optional<RixLens> lens;
    };
    [[nodiscard]] bool same(const Inputs& a, const Inputs& b) const;

    std::function<bool(double)> northDropped_;
    std::optional<Inputs> shown_;
    std::vector<light::Date> days_;
};

} // namespace karwen::ui
