// Drives the real program through one batch run, as a person would: opens
// "Batch(&B)...", points both folders, "Add All", "Start", then "Exit" and the
// about box. Prints the time of every file and the files per second, and
// with a third argument saves screenshots of the whole screen during the run
// (what the display server really shows) and of the about box.
//
//   batch_gui_run <source folder> <destination folder> [screenshot folder [interpolation]]
//
// The interpolation is the list index: 0 nearest (the default), 1 bilinear,
// 2 cubic convolution.
//
// Run it on a display (e.g. under xvfb-run); it is a timing printout, not a
// test.
#include "about_box.h"
#include "batch_dialog.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace karwen;

namespace {

template <typename T> T* topLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return qobject_cast<T*>(w);
    return nullptr;
}

void shoot(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    screen->grabWindow(0).save(folder + QLatin1Char('/') + name);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <source folder> <destination folder> [screenshot folder]\n", argv[0]);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString destination = QString::fromLocal8Bit(argv[2]);
    const QString shots = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    const int interpolation = argc > 4 ? std::atoi(argv[4]) : 0;

    ui::KarwenApp app;
    app.Main();

    QTimer::singleShot(500, [&] {
        auto* batch = topLevel<ui::BatchDialog>("frmBatch");
        if (!batch) {
            std::fprintf(stderr, "no batch dialog\n");
            application.exit(1);
            return;
        }
        // The photos' circle, upscaled to 4000 x 3000 (y counted from the
        // bottom); the radius as large as the dialog admits.
        batch->findChild<QLineEdit*>(QStringLiteral("txtFolderS"))->setText(source);
        batch->findChild<QLineEdit*>(QStringLiteral("txtFolderD"))->setText(destination);
        batch->field(Field::SrcCx)->setText(QStringLiteral("2000"));
        batch->field(Field::SrcCy)->setText(QStringLiteral("1500"));
        batch->field(Field::SrcR)->setText(QStringLiteral("1024"));
        batch->field(Field::RefPointX)->setText(QStringLiteral("2000"));
        batch->field(Field::RefPointY)->setText(QStringLiteral("1500"));
        batch->Apply();
        batch->findChild<QComboBox*>(QStringLiteral("cmbI"))->setCurrentIndex(interpolation);
        batch->cmdAddAll_Click();
        QApplication::processEvents();
        shoot(shots, QStringLiteral("batch_before.png"));

        QElapsedTimer clock;
        qint64 last = 0;
        int file = 0;
        QObject::connect(batch, &ui::BatchDialog::progressShown, batch, [&](const QString&) {
            const qint64 now = clock.nsecsElapsed();
            if (file > 0)
                std::printf("  file %2d: %7.1f ms\n", file, double(now - last) / 1e6);
            last = now;
            ++file;
            if (file == 2 || file == 11)
                shoot(shots, QStringLiteral("batch_progress_%1.png").arg(file, 2, 10, QLatin1Char('0')));
        });
        // The run goes on its own thread; the window's events go on meanwhile.
        QEventLoop untilDone;
        QObject::connect(batch, &ui::BatchDialog::runFinished, &untilDone, &QEventLoop::quit);
        clock.start();
        batch->cmdStart_Click();
        if (batch->isRunning())
            untilDone.exec();
        const qint64 end = clock.nsecsElapsed();
        if (file > 0)
            std::printf("  file %2d: %7.1f ms\n", file, double(end - last) / 1e6);
        shoot(shots, QStringLiteral("batch_done.png"));
        const double seconds = double(end) / 1e9;
        const int files = file;
        std::printf(
            "%d files in %.2f s: %.2f files/s, %.3f s per file\n", files, seconds, files / seconds, seconds / files);
        batch->cmdCancel_Click();

        QTimer::singleShot(300, [&] { app.frmMain().item(QStringLiteral("mnuHelpAbout"))->trigger(); });
        QTimer::singleShot(1200, [&] {
            shoot(shots, QStringLiteral("about.png"));
            if (auto* about = topLevel<ui::AboutBox>("frmAbout"))
                about->accept();
            application.quit();
        });
    });
    QTimer::singleShot(0, [&] { app.frmMain().item(QStringLiteral("mnuFileBatch"))->trigger(); });
    return application.exec();
}
