// Pictures of the windows for a person to look at, not a test: opens a real
// photo as the user would, converts it to an equidistant view, paints sky
// and rim dots with every brush and dot style, and saves each step as a PNG.
//
//   karwen_screenshots OUTDIR [PHOTO]
//
// Run it under a display or with QT_QPA_PLATFORM=offscreen; the README's
// picture comes from scripts/screenshot.sh, which runs it under Xvfb.
#include "area_app_fixture.h"
#include "format_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QRadioButton>
#include <QTest>

#include <cstdio>

using namespace karwen;

namespace {

bool shoot(QWidget* widget, const QDir& folder, const QString& name)
{
    QApplication::processEvents();
    const QString file = folder.filePath(name + QStringLiteral(".png"));
    if (widget->grab().save(file))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: karwen_screenshots OUTDIR [PHOTO]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QString photo
        = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg");
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        return 1;

    QApplication::setWindowIcon(QIcon(QStringLiteral(KARWEN_ICON)));
    test::AreaApp app;
    app.app.frmMain().resize(1500, 900);
    app.app.frmMain().show();
    if (!app.open(photo)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(photo));
        return 1;
    }
    auto* cmbD = app.app.windows().frmFormat().findChild<QComboBox*>(QStringLiteral("cmbD"));
    cmbD->setCurrentIndex(kEquidistant);
    ui::AreaPanel& panel = app.panel();
    bool ok = shoot(&app.app.frmMain(), folder, QStringLiteral("main_converted"));
    ok = shoot(&app.app.windows().frmFormat(), folder, QStringLiteral("format")) && ok;
    ok = shoot(&panel, folder, QStringLiteral("area_panel_start")) && ok;

    panel.chkAreaMeasure()->click();
    for (int style = 0; style < kToolSizeCount; ++style) {
        panel.optDot(style)->click();
        panel.optBrush(style)->click();
        panel.optRgn(1)->click();
        app.stroke(test::AreaApp::at(1) + QPoint(-30 + 20 * style, -20), {3, 2}, 15);
        panel.optRgn(2)->click();
        app.stroke(test::AreaApp::at(893 + 1 + 25 * style), {2, -2}, 10);
        ok = shoot(app.dst(), folder, QStringLiteral("area_dots_style%1").arg(style)) && ok;
    }
    QTest::mouseMove(app.pct(), test::AreaApp::at(1));
    ok = shoot(&panel, folder, QStringLiteral("area_panel")) && ok;
    ok = shoot(&app.app.frmMain(), folder, QStringLiteral("main_painted")) && ok;

    // The README's picture: the same measurement in small dots.
    panel.optDot(1)->click();
    ok = shoot(&app.app.frmMain(), folder, QStringLiteral("readme")) && ok;
    return ok ? 0 : 1;
}
