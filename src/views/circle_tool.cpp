#include "circle_tool.h"

#include "image_view.h"
#include "mdl_karwen.h"
#include "picture_area.h"
#include "undoable_step.h"
#include "xor_pen.h"

#include <QMouseEvent>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace karwen::views {

namespace {
constexpr float kSingleDegToRad = static_cast<float>(kDegToRad);
constexpr std::array<QChar, 4> kCompassLetters{u'N', u'E', u'S', u'W'};
// Half the box a compass letter takes, for the area a drag redraws.
constexpr double kLetterReach = 10.0;
} // namespace

CircleTool::CircleTool(ImageView& view)
    : view_(view)
{
}

void CircleTool::paint(QImage&)
{
    const ViewMapping m = view_.mapping();
    const QPointF centre = mapToView(m, {SrcPrm.Cx, SrcPrm.Cy});
    circX_ = static_cast<float>(centre.x());
    circY_ = static_cast<float>(centre.y());
    circR_ = static_cast<float>(double(m.scale) * SrcPrm.R);
    rotCos_ = static_cast<float>(std::cos(SrcPrm.Rot * kDegToRad));
    rotSin_ = static_cast<float>(std::sin(SrcPrm.Rot * kDegToRad));
    const QPointF ref = mapToView(m, {RefX, RefY});
    refVX_ = static_cast<float>(ref.x());
    refVY_ = static_cast<float>(ref.y());
    for (std::size_t k = 0; k < compass_.size(); ++k) {
        compass_[k] = {};
        if (!horizon_[k])
            continue;
        // Pushed out from the centre past the rim, where the horizon point
        // of a view off the axis may lie inside it.
        const QPointF h = mapToView(m, *horizon_[k]) - centre;
        const double reach = std::hypot(h.x(), h.y());
        if (reach > 0.0)
            compass_[k] = {true, std::atan2(h.y(), h.x()), std::max(reach, double(circR_)) + kCompassOverhang};
    }
    northDA_ = 0.0;
    draw_marks();
}

std::optional<QPointF> CircleTool::compassMark(Cardinal which) const
{
    const CompassLetter& letter = compass_[std::size_t(which)];
    if (!letter.shown)
        return std::nullopt;
    const double a = letter.angle + northDA_;
    return QPointF(circX_ + letter.radius * std::cos(a), circY_ + letter.radius * std::sin(a));
}

void CircleTool::draw_marks()
{
    XorPen pen(view_.canvas());
    const QPointF ref(refVX_, refVY_);
    pen.circle(ref, 5);
    pen.circle(ref, 3);
    const QPointF c(circX_, circY_);
    const double l = double(circR_) + kCrossOverhang;
    pen.dotted();
    pen.circle(c, circR_);
    pen.line({c.x() + l * rotSin_, c.y() + l * rotCos_}, {c.x() - l * rotSin_, c.y() - l * rotCos_});
    pen.line({c.x() - l * rotCos_, c.y() + l * rotSin_}, {c.x() + l * rotCos_, c.y() - l * rotSin_});
    for (std::size_t k = 0; k < compass_.size(); ++k)
        if (const std::optional<QPointF> at = compassMark(Cardinal(k)))
            pen.letter(*at, kCompassLetters[k]);
}

CircleTool::Distances CircleTool::distancesTo(QPointF p) const
{
    const double d = std::hypot(p.x() - circX_, p.y() - circY_);
    const float e = static_cast<float>(std::abs(d - circR_));
    const double q = std::hypot(p.x() - refVX_, p.y() - refVY_);
    return {d, e, q};
}

bool CircleTool::nearNorth(QPointF p) const
{
    const std::optional<QPointF> n = compassMark(kNorth);
    return n && std::hypot(p.x() - n->x(), p.y() - n->y()) < kNorthHandle;
}

double CircleTool::pointerAngle(QPointF p) const { return std::atan2(p.y() - circY_, p.x() - circX_); }

QRectF CircleTool::marksBounds() const
{
    const double l = double(circR_) + kCrossOverhang;
    QRectF bounds = QRectF(circX_ - l, circY_ - l, 2 * l, 2 * l).united(QRectF(refVX_ - 5, refVY_ - 5, 10, 10));
    for (std::size_t k = 0; k < compass_.size(); ++k)
        if (const std::optional<QPointF> at = compassMark(Cardinal(k)))
            bounds |= QRectF(at->x() - kLetterReach, at->y() - kLetterReach, 2 * kLetterReach, 2 * kLetterReach);
    return bounds.adjusted(-2, -2, 2, 2);
}

template <typename Change> void CircleTool::redrawMarks(Change change)
{
    const QRectF before = marksBounds();
    draw_marks();
    change();
    draw_marks();
    view_.picture()->update(before.united(marksBounds()).toAlignedRect());
}

void CircleTool::setPointer(bool sizeAll)
{
    if (sizeAll)
        view_.picture()->setCursor(Qt::SizeAllCursor);
    else
        view_.picture()->unsetCursor();
}

QString CircleTool::handleHint(QPointF p) const
{
    // The handles a press takes, without and with Shift, as mousePress
    // chooses them.
    const Distances r = distancesTo(p);
    if (r.d >= kHandle && r.q >= kHandle && nearNorth(p))
        return QStringLiteral("Compass N: drag to where true north lies on the photo (sets the top azimuth)");
    QStringList names, actions;
    if (r.d < kHandle) {
        names << QStringLiteral("circle centre");
        actions << QStringLiteral("drag to move the circle");
    } else if (r.e < kHandle) {
        names << QStringLiteral("circle rim");
        actions << QStringLiteral("drag to change the radius");
    }
    if (r.q < kHandle) {
        names << QStringLiteral("view reference point");
        actions << QStringLiteral("Shift-drag to move where the view looks");
    } else if (r.e < kHandle) {
        if (!names.contains(QStringLiteral("circle rim")))
            names << QStringLiteral("circle rim");
        actions << QStringLiteral("Shift-drag to turn the tilt");
    }
    if (names.isEmpty())
        return {};
    QString hint = names.join(QStringLiteral(" and ")) + QStringLiteral(": ") + actions.join(QStringLiteral(", "));
    hint[0] = hint[0].toUpper();
    return hint;
}

void CircleTool::mousePress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF p = event->position();
    const Distances r = distancesTo(p);
    // The N is looked for before the rim, with Shift or without.
    const bool north = nearNorth(p);
    if (!(event->modifiers() & Qt::ShiftModifier)) {
        dragMode_ = r.d < kHandle ? Centre : north ? North : r.e < kHandle ? Radius : None;
    } else if (r.q < kHandle) {
        dragMode_ = Reference;
    } else if (north) {
        dragMode_ = North;
    } else if (r.e < kHandle) {
        dragMode_ = Tilt;
        dragA0_ = static_cast<float>(atn2(p.x() - circX_, p.y() - circY_));
    } else {
        dragMode_ = None;
    }
    if (dragMode_ == North) {
        northA0_ = pointerAngle(p);
        northDA_ = 0.0;
    }
    setPointer(dragMode_ != None);
}

void CircleTool::mouseMove(QMouseEvent* event)
{
    const QPointF p = event->position();
    if (event->buttons() == Qt::NoButton) {
        const Distances r = distancesTo(p);
        setPointer(!(r.q >= kHandle && r.d >= kHandle && r.e >= kHandle) || nearNorth(p));
        return;
    }
    if (event->buttons() != Qt::LeftButton)
        return;
    const QSize picture = view_.pictureSize();
    const auto inside = [](double v, int limit) { return 0 < v && v < limit; };
    switch (dragMode_) {
    case Centre:
        redrawMarks([&] {
            if (inside(p.x(), picture.width()))
                circX_ = static_cast<float>(p.x());
            if (inside(p.y(), picture.height()))
                circY_ = static_cast<float>(p.y());
        });
        break;
    case Radius: {
        const double d = distancesTo(p).d;
        if (d > kMinRadius)
            redrawMarks([&] { circR_ = static_cast<float>(d); });
        break;
    }
    case Tilt:
        dragDA_ = static_cast<float>(atn2(p.x() - circX_, p.y() - circY_) - dragA0_);
        redrawMarks([&] {
            rotCos_ = static_cast<float>(std::cos(SrcPrm.Rot * kDegToRad + dragDA_));
            rotSin_ = static_cast<float>(std::sin(SrcPrm.Rot * kDegToRad + dragDA_));
        });
        break;
    case Reference:
        redrawMarks([&] {
            if (inside(p.x(), picture.width()))
                refVX_ = static_cast<float>(p.x());
            if (inside(p.y(), picture.height()))
                refVY_ = static_cast<float>(p.y());
        });
        break;
    case North:
        redrawMarks([&] { northDA_ = pointerAngle(p) - northA0_; });
        break;
    default:
        break;
    }
}

bool CircleTool::commit(int16_t mode)
{
    const ViewMapping m = view_.mapping();
    switch (mode) {
    case Centre: {
        const QPointF centre = mapToImage(m, {circX_, circY_});
        const double x = hund(centre.x());
        const double y = hund(centre.y());
        if (x == SrcPrm.Cx && y == SrcPrm.Cy)
            return false;
        SrcPrm.Cx = x;
        SrcPrm.Cy = y;
        return true;
    }
    case Radius: {
        const double r = hund(circR_ / m.scale);
        if (r == SrcPrm.R)
            return false;
        SrcPrm.R = r;
        return true;
    }
    case Tilt: {
        const double t = roundHalfEven(dragDA_ * 100.0f / kSingleDegToRad) * 0.01;
        dragDA_ = 0;
        if (t == 0)
            return false;
        SrcPrm.Rot += t;
        if (SrcPrm.Rot > 180)
            SrcPrm.Rot -= 360;
        if (SrcPrm.Rot < -180)
            SrcPrm.Rot += 360;
        return true;
    }
    case Reference: {
        const QPointF ref = mapToImage(m, {refVX_, refVY_});
        const auto x = static_cast<float>(hund(ref.x()));
        const auto y = static_cast<float>(hund(ref.y()));
        if (x == RefX && y == RefY)
            return false;
        RefX = x;
        RefY = y;
        return true;
    }
    default:
        return false;
    }
}

void CircleTool::commitNorth()
{
    // A click that did not move the N changes nothing.
    if (northDA_ == 0.0)
        return;
    // The view's y runs down, the image's up.
    const double photoAngleDeg = -(compass_[kNorth].angle + northDA_) * 180.0 / std::numbers::pi;
    // A copy: the owner may give the tool its answer anew while answering.
    const std::function<bool(double)> drop = northDrop_;
    if (!drop || !drop(photoAngleDeg))
        view_.pct_update();
}

void CircleTool::mouseRelease(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || dragMode_ == None)
        return;
    const int16_t mode = dragMode_;
    dragMode_ = None;
    if (mode == North) {
        commitNorth();
        return;
    }
    const UndoableStep step(mode == Reference ? "view point drag" : "circle drag");
    if (!commit(mode))
        return;
    ref2angle();
    reset_src_param(false);
    view_.pct_update();
    convert();
    dst_update();
}

} // namespace karwen::views
