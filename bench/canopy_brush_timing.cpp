// Times what the canopy window does while the user paints: from a mouse
// move of the brush over the destination view to the window showing the
// new dot figures (the dots drawn, the area labels, measureDots with its
// bootstrap interval, the table's cells and the pending paints). Opens a
// photo through "Open(&O)..." with the dialogs answered by a script, shows
// the canopy window, classifies the dots, then strokes the largest brush
// across the destination with the left button (painting sky) and the right
// (erasing it), and prints the median, the 90th percentile and the largest
// time of the moves that changed a dot; then measureDots alone.
//
//   canopy_brush_timing [photo (default: the sample)] [strokes (default 40)]
//
// Run it offscreen (QT_QPA_PLATFORM=offscreen) or on a display (e.g. under
// xvfb-run); it is a timing printout, not a test.
#include "area_panel.h"
#include "canopy_window.h"
#include "dialog_seam.h"
#include "dot_gaps.h"
#include "dst_view.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace karwen;

namespace {

// Answers the open dialog with the photo and every question with Yes.
class ScriptDialogs : public ui::DialogSeam {
public:
    explicit ScriptDialogs(QString file)
        : file_(std::move(file))
    {
        ui::setDialogSeam(this);
    }
    ~ScriptDialogs() override { ui::setDialogSeam(nullptr); }
    ScriptDialogs(const ScriptDialogs&) = delete;
    ScriptDialogs& operator=(const ScriptDialogs&) = delete;

    void message(QWidget*, const QString& text, QMessageBox::Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool question(QWidget*, const QString&) override { return true; }
    std::optional<QString> fileDialog(QWidget*, const ui::FileDialogRequest&) override { return file_; }

private:
    QString file_;
};

struct Summary {
    double median, p90, max;
    std::size_t count;
};

Summary summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    if (n == 0)
        return {0, 0, 0, 0};
    return {n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2, ms[std::min(n - 1, n * 9 / 10)], ms.back(), n};
}

void print(const char* what, const Summary& s)
{
    std::printf(
        "%-44s median %6.2f ms   90%% %6.2f ms   max %6.2f ms   (%zu)\n", what, s.median, s.p90, s.max, s.count);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString photo = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(KARWEN_SAMPLE_PHOTO);
    const int strokes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 40;

    ScriptDialogs dialogs(photo);
    ui::KarwenApp app;
    app.Main();
    app.frmMain().item(QStringLiteral("mnuFileOpen"))->trigger();
    views::DstView* dst = app.windows().dstIfLoaded();
    if (!dst) {
        std::fprintf(stderr, "could not open %s\n", qPrintable(photo));
        return 1;
    }
    app.frmMain().item(QStringLiteral("mnuCanopy"))->trigger();
    ui::CanopyWindow* canopy = app.windows().canopyIfLoaded();
    canopy->cmdClassify()->click();
    app.windows().frmArea().optBrush(3)->click();
    QCoreApplication::processEvents();
    std::printf("photo %s (%d x %d), destination %d x %d, %d sky dots after classifying\n", qPrintable(photo), SrcW,
        SrcH, DstW, DstH, int(ClassCount[std::size_t(CurRgn)]));

    // Strokes back and forth through the circle, each at its own height.
    QWidget* pct = dst->picture();
    const QPoint centre(int(std::lround(DotX[1])), int(std::lround(DotY[1])));
    const int reach = int(DstPrm.R * dst->viewScale() * 0.9);
    std::vector<double> moves;
    QElapsedTimer timer;
    for (int s = 0; s < strokes; ++s) {
        const Qt::MouseButton button = s % 2 ? Qt::RightButton : Qt::LeftButton;
        const int y = centre.y() + (s * 37 % (2 * reach)) - reach;
        QPoint at(centre.x() - reach, y);
        QTest::mousePress(pct, button, {}, at);
        for (; at.x() < centre.x() + reach; at.rx() += 6) {
            const auto before = DotClass;
            timer.start();
            QTest::mouseMove(pct, at);
            QCoreApplication::processEvents();
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (DotClass != before)
                moves.push_back(ms);
        }
        QTest::mouseRelease(pct, button, {}, at);
    }
    print("brush move -> canopy window shows new figures", summarise(moves));

    std::vector<double> measure;
    const canopy::DotGaps gaps = canopy::gapsOfClass(DotClass, CurRgn);
    for (int i = 0; i < 200; ++i) {
        timer.start();
        const canopy::DotFigures f = canopy::measureDots(gaps, DstPrm.Proj, canopy->tracker().settings());
        measure.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (f.status != canopy::DotStatus::Ok)
            return 1;
    }
    print("measureDots alone", summarise(measure));
    close_image();
    return 0;
}
