// Times the end of a circle drag on the source view of a large photo: from
// the mouse release to the destination view drawn again (stored values,
// view angles, parameters dialog, source picture, resampling, destination
// picture, pending paints). Opens a synthetic 4000 x 4000 fisheye picture
// through "Open(&O)..." with the file dialog answered by a script, then
// drives radius and centre drags with real mouse events for each
// interpolation and prints the median and the largest time. A second pass
// runs the same steps one by one to show where the time goes. The two views
// are put side by side first: as opened, the destination lies inside the
// source window's area, and the source window raised by the press would hide
// it, so that it would not be painted at all.
//
//   drag_release_timing [drags per row (default 20)]
//
// Run it offscreen (QT_QPA_PLATFORM=offscreen) or on a display (e.g. under
// xvfb-run); it is a timing printout, not a test.
#include "dialog_seam.h"
#include "dst_view.h"
#include "image.h"
#include "image_store.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "src_view.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace karwen;

namespace {

constexpr int kSide = 4000;

// Answers the open dialog with one file; everything else is declined.
class OneFileDialogs : public ui::DialogSeam {
public:
    explicit OneFileDialogs(QString file)
        : file_(std::move(file))
    {
        ui::setDialogSeam(this);
    }
    ~OneFileDialogs() override { ui::setDialogSeam(nullptr); }
    OneFileDialogs(const OneFileDialogs&) = delete;
    OneFileDialogs& operator=(const OneFileDialogs&) = delete;

    void message(QWidget*, const QString& text, QMessageBox::Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool question(QWidget*, const QString&) override { return false; }
    std::optional<QString> fileDialog(QWidget*, const ui::FileDialogRequest&) override { return file_; }

private:
    QString file_;
};

// A bright, textured disc on black, as a fisheye photo looks, written as a
// JPEG by the imaging library. Empty on failure.
QString writeFisheye(const QString& path)
{
    const int32_t handle = RixCreate(kSide, kSide);
    rix::Image* image = rix::findImage(handle);
    if (!image)
        return {};
    const double c = kSide / 2.0;
    const double r = 0.475 * kSide;
    for (int32_t y = 0; y < kSide; ++y) {
        uint32_t* row = image->row(y);
        for (int32_t x = 0; x < kSide; ++x) {
            const double dx = x + 0.5 - c;
            const double dy = y + 0.5 - c;
            if (dx * dx + dy * dy > r * r) {
                row[x] = rix::packRgb(0, 0, 0);
                continue;
            }
            // Sky gradient with a checker so that every interpolation has work.
            const bool check = ((x / 50) + (y / 50)) % 2 == 0;
            row[x] = rix::packRgb(static_cast<uint8_t>(80 + (x * 120) / kSide), static_cast<uint8_t>(check ? 200 : 120),
                static_cast<uint8_t>(100 + (y * 150) / kSide));
        }
    }
    int32_t quality = 90;
    const bool saved = RixSaveJPG(handle, path.toUtf8().constData(), &quality) == 1;
    (void)RixDestroy(handle);
    return saved ? path : QString();
}

// Counts the paints of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Stats {
    double median;
    double max;
};

Stats stats(std::vector<double> ms)
{
    if (ms.empty())
        return {0, 0};
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    return {median, ms.back()};
}

double elapsedMs(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e6; }

// A rim point of the circle inside the picture, at least margin pixels in;
// the direction from the centre is returned in dir. False when none shows.
bool visibleRimPoint(views::SrcView& src, QPointF& at, QPointF& dir)
{
    const QPointF c = src.circleTool().circleCentre();
    const double r = src.circleTool().circleRadius();
    const QRectF inside = QRectF(QPointF(0, 0), QSizeF(src.pictureSize())).adjusted(20, 20, -20, -20);
    for (int degree = 0; degree < 360; degree += 5) {
        const double a = degree * M_PI / 180.0;
        const QPointF d(std::cos(a), std::sin(a));
        // Off the cross's four arms, where a plain press takes the rim.
        if (degree % 90 == 0)
            continue;
        if (inside.contains(c + r * d)) {
            at = c + r * d;
            dir = d;
            return true;
        }
    }
    return false;
}

enum class DragKind { Radius, Centre };

// One drag ending in the release; returns the release-to-redrawn time in ms,
// or a negative value when the drag did not take or nothing was redrawn.
double timedDrag(views::SrcView& src, PaintCounter& dstPaints, DragKind kind, int step)
{
    QWidget* pic = src.picture();
    QPointF from;
    QPointF dir(1, 0);
    if (kind == DragKind::Radius) {
        if (!visibleRimPoint(src, from, dir))
            return -1;
    } else {
        from = src.circleTool().circleCentre() + QPointF(1, 0);
    }
    // Out and back again so that the circle stays where it was.
    const double amount = (step % 2 == 0) ? 6.0 : -6.0;
    const QPointF shift = kind == DragKind::Radius ? amount * dir : QPointF(amount, amount / 2);
    const QPoint p = from.toPoint();
    const QPoint q = (from + shift).toPoint();
    const double rBefore = SrcPrm.R;
    const double cxBefore = SrcPrm.Cx;

    QTest::mousePress(pic, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseMove(pic, (p + q) / 2);
    QTest::mouseMove(pic, q);
    if (src.circleTool().dragMode() == views::CircleTool::None)
        return -1;
    QCoreApplication::processEvents(); // the marks' redraw during the drag
    const int paintsBefore = dstPaints.paints;

    QElapsedTimer clock;
    clock.start();
    QTest::mouseRelease(pic, Qt::LeftButton, Qt::NoModifier, q);
    QCoreApplication::processEvents();
    const double ms = elapsedMs(clock);

    const bool changed = kind == DragKind::Radius ? SrcPrm.R != rBefore : SrcPrm.Cx != cxBefore;
    if (!changed || dstPaints.paints == paintsBefore)
        return -1;
    return ms;
}

// The same chain step by step, each timed on its own.
void profileSteps(views::SrcView& src, int runs)
{
    const char* names[] = {"ref2angle", "reset_src_param(false)", "src pct_update", "src paint (processEvents)",
        "convert (RixSDeform)", "dst_update", "dst paint (processEvents)", "whole chain"};
    constexpr int kSteps = 8;
    std::vector<double> ms[kSteps];
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer all;
        all.start();
        QElapsedTimer clock;
        int i = 0;
        auto step = [&](auto&& work) {
            clock.start();
            work();
            ms[i++].push_back(elapsedMs(clock));
        };
        step([] { ref2angle(); });
        step([] { reset_src_param(false); });
        step([&] { src.pct_update(); });
        step([] { QCoreApplication::processEvents(); });
        step([] { convert(); });
        step([] { dst_update(); });
        step([] { QCoreApplication::processEvents(); });
        ms[i].push_back(elapsedMs(all));
    }
    for (int i = 0; i < kSteps; ++i) {
        const Stats s = stats(ms[i]);
        std::printf("    %-28s median %8.2f ms   max %8.2f ms\n", names[i], s.median, s.max);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int drags = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    const QString file = writeFisheye(QDir::temp().filePath(QStringLiteral("karwen_drag_release_4000.jpg")));
    if (file.isEmpty()) {
        std::fprintf(stderr, "cannot write the test picture: %s\n", RixLastError());
        return 1;
    }

    ui::KarwenApp app;
    app.Main();
    QCoreApplication::processEvents();
    {
        OneFileDialogs dialogs(file);
        app.frmMain().item(QStringLiteral("mnuFileOpen"))->trigger();
    }
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();

    views::SrcView* src = app.windows().srcIfLoaded();
    views::DstView* dst = app.windows().dstIfLoaded();
    if (!src || !dst || !isImage(hSrc) || !isImage(hDst)) {
        std::fprintf(stderr, "the picture did not open\n");
        return 1;
    }
    // Side by side, so that raising the source view on the press leaves the
    // destination uncovered and it is really painted again.
    QWidget* srcOuter = src->outerWindow();
    QWidget* dstOuter = dst->outerWindow();
    std::printf("as opened: source window at (%d, %d) %d x %d, destination window at (%d, %d) %d x %d, "
                "main window %d x %d\n",
        srcOuter->x(), srcOuter->y(), srcOuter->width(), srcOuter->height(), dstOuter->x(), dstOuter->y(),
        dstOuter->width(), dstOuter->height(), app.frmMain().width(), app.frmMain().height());
    app.frmMain().resize(
        srcOuter->width() + dstOuter->width() + 200, std::max(srcOuter->height(), dstOuter->height()) + 200);
    srcOuter->move(0, 0);
    dstOuter->move(srcOuter->width() + 10, 0);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    PaintCounter dstPaints;
    dst->picture()->installEventFilter(&dstPaints);

    std::printf("platform %s, source %d x %d at zoom %.3f (picture %d x %d), destination %d x %d "
                "(picture %d x %d)\n",
        qPrintable(QGuiApplication::platformName()), SrcW, SrcH, double(src->viewScale()), src->pictureSize().width(),
        src->pictureSize().height(), DstW, DstH, dst->pictureSize().width(), dst->pictureSize().height());
    std::printf("circle: centre (%.1f, %.1f) radius %.1f source pixels; %d drags per row\n", SrcPrm.Cx, SrcPrm.Cy,
        SrcPrm.R, drags);

    const char* interpNames[] = {"nearest", "bilinear", "cubic"};
    int failures = 0;
    for (int interp = 0; interp < 3; ++interp) {
        Interp = interp;
        convert();
        dst_update();
        QCoreApplication::processEvents();
        for (DragKind kind : {DragKind::Radius, DragKind::Centre}) {
            std::vector<double> ms;
            for (int i = 0; i < drags; ++i) {
                const double t = timedDrag(*src, dstPaints, kind, i);
                if (t < 0)
                    ++failures;
                else
                    ms.push_back(t);
            }
            const Stats s = stats(ms);
            std::printf(
                "interp %d %-8s %-6s drag: release -> dst redrawn  median %7.2f ms  max %7.2f ms  (%zu drags)\n",
                interp, interpNames[interp], kind == DragKind::Radius ? "radius" : "centre", s.median, s.max,
                ms.size());
        }
        std::printf("  steps one by one (%d runs):\n", drags);
        profileSteps(*src, drags);
    }
    if (failures)
        std::printf("%d drags did not take or did not redraw the destination\n", failures);

    // Leave without questions: the destination is unsaved.
    Interp = 0;
    QFile::remove(file);
    std::fflush(stdout);
    std::_Exit(failures ? 1 : 0);
}
