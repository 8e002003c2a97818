// The running program with an image open, for the area suites: a generated
// fisheye-like disc (or a given photo) opened through the scripted open
// dialog, and the area panel and destination view at hand.
#pragma once

#include "area_panel.h"
#include "area_tool.h"
#include "canopy_window.h"
#include "dst_view.h"
#include "format_window.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "scripted_dialogs.h"
#include "src_view.h"
#include "window_registry.h"

#include <cmath>

namespace karwen::test {

using namespace Qt::StringLiterals;

// A BMP picture: `ground` with filled discs over it, the later on top.
struct Spot {
    QPointF centre;
    double r;
    QColor colour;
};
inline QString writePicture(
    const QTemporaryDir& dir, const QString& name, QSize size, QColor ground, std::initializer_list<Spot> spots = {})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(ground);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    for (const Spot& spot : spots) {
        painter.setBrush(spot.colour);
        painter.drawEllipse(spot.centre, spot.r, spot.r);
    }
    painter.end();
    const QString path = dir.filePath(name);
    return image.save(path, "BMP") ? path : QString();
}

// A sky-blue disc on black: the circle finder and the conversion see an
// ordinary fisheye picture.
inline QString writeDiscImage(const QTemporaryDir& dir, const QString& name, QSize size = {640, 480})
{
    const int r = std::min(size.width(), size.height()) / 2 - 10;
    return writePicture(
        dir, name, size, Qt::black, {{QPointF(size.width() / 2, size.height() / 2), double(r), QColor(120, 160, 230)}});
}

inline const QString kDiscardQuestion = u"The area measurement has not been saved. Discard it?"_s;
inline const QString kSamplePhoto = QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg");

// SrcPrm through the image circle found on the open photo, its rim the
// horizon.
inline ProjectionRecord throughFoundCircle()
{
    RixCircle found{};
    [&] { QVERIFY(RixFindCircle(hSrc, &found) == 1 && found.Confident); }();
    ProjectionRecord source = SrcPrm;
    source.Cx = found.Cx;
    source.Cy = found.Cy;
    source.R = found.R;
    return source;
}

// A CSV as written (CRLF line ends): its column names and its rows.
struct Csv {
    QStringList names;
    QList<QStringList> rows;
    [[nodiscard]] QString field(qsizetype row, const QString& name) const
    {
        return rows.value(row).value(names.indexOf(name));
    }
};
inline Csv readCsv(const QString& path)
{
    const QStringList lines = QString::fromUtf8(readFile(path)).split(u"\r\n"_s, Qt::SkipEmptyParts);
    Csv csv{lines.value(0).split(u','), {}};
    for (qsizetype i = 1; i < lines.size(); ++i)
        csv.rows << lines[i].split(u',');
    return csv;
}

class AreaApp {
public:
    AreaApp() { app.Main(); }
    ~AreaApp() { close_image(); }
    AreaApp(const AreaApp&) = delete;
    AreaApp& operator=(const AreaApp&) = delete;

    // Opens `path`; true when both views came up.
    [[nodiscard]] bool open(const QString& path)
    {
        dialogs.files = {path};
        menu("mnuFileOpen");
        return isImage(hDst) && dst() != nullptr;
    }
    void menu(const char* name) { app.frmMain().item(QLatin1String(name))->trigger(); }
    void press(const char* button) { panel().findChild<QPushButton*>(QLatin1String(button))->click(); }

    [[nodiscard]] ui::AreaPanel& panel() { return app.windows().frmArea(); }
    [[nodiscard]] views::DstView* dst() { return app.windows().dstIfLoaded(); }
    [[nodiscard]] QWidget* pct() { return dst()->picture(); }
    [[nodiscard]] QString labelText(int k) { return panel().lblcs(k)->text(); }

    // The photo opened and the Canopy window over it.
    ui::CanopyWindow& openCanopy(const QString& path = kSamplePhoto)
    {
        [&] { QVERIFY(open(path)); }();
        menu("mnuCanopy");
        return *app.windows().canopyIfLoaded();
    }
    // The Canopy window's export into csv, read back.
    Csv exportCanopy(ui::CanopyWindow& canopy, const QString& csv)
    {
        dialogs.files = {csv};
        canopy.cmdExport()->click();
        return readCsv(csv);
    }

    // Drags with `button` from `from` in `steps` moves of `step` each.
    void stroke(QPoint from, QPoint step, int steps, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(pct(), button, {}, from);
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(pct(), from + i * step);
        QTest::mouseRelease(pct(), button, {}, from + steps * step);
    }

    // The picture point nearest dot n.
    [[nodiscard]] static QPoint at(int n)
    {
        return {int(std::lround(DotX[std::size_t(n)])), int(std::lround(DotY[std::size_t(n)]))};
    }

    ScriptedDialogs dialogs; // before the app: its seam is in place first
    ui::KarwenApp app;
};

} // namespace karwen::test
