// "Open(&O)..." and "Save(&S)..." through scripted file dialogs, on images
// generated for the test and on the shipped sample photo.
#include "common_dialog.h"
#include "dst_view.h"
#include "picture_area.h"
#include "format_window.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "scripted_dialogs.h"
#include "src_view.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <QFile>
#include <QMdiArea>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace karwen;

namespace {

// A bright disc on black, as a fisheye picture looks to the circle finder.
QString writeDisc(const QTemporaryDir& dir, const QString& name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setBrush(QColor(200, 220, 255));
    painter.setPen(Qt::NoPen);
    const int r = std::min(size.width(), size.height()) / 2 - 10;
    painter.drawEllipse(QPoint(size.width() / 2, size.height() / 2), r, r);
    painter.end();
    const QString path = dir.filePath(name);
    if (!image.save(path, "BMP"))
        return {};
    return path;
}

// The same picture as a JPEG written by the imaging library.
QString bmpToJpeg(const QString& bmp, const QString& jpeg)
{
    const int32_t h = RixLoadBMP(bmp.toUtf8().constData());
    int32_t quality = 75;
    (void)RixSaveJPG(h, jpeg.toUtf8().constData(), &quality);
    (void)RixDestroy(h);
    return jpeg;
}

void open(ui::KarwenApp& app) { app.frmMain().item(QStringLiteral("mnuFileOpen"))->trigger(); }
void save(ui::KarwenApp& app) { app.frmMain().item(QStringLiteral("mnuFileSave"))->trigger(); }

} // namespace

class TestImageCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void openBmpThenJpegOfSameSize();
    void cancelChangesNothing();
    void unreadableFileKeepsTheOpenImage();
    void resultStandsBesideTheSourceWhenThereIsRoom();
    void saveAsBmpAndJpg();
    void overwriteQuestion();
    void openDialogListsAnyCase();
    void samplePhotoScreenshot_data();
    void samplePhotoScreenshot();

private:
    QTemporaryDir dir_;
};

void TestImageCommands::init() { QVERIFY(dir_.isValid()); }

void TestImageCommands::openBmpThenJpegOfSameSize()
{
    const QString bmp = writeDisc(dir_, QStringLiteral("disc.BMP"), {640, 480});
    const QString jpg = bmpToJpeg(bmp, dir_.filePath(QStringLiteral("disc.Jpg")));
    const QString small = writeDisc(dir_, QStringLiteral("small.bmp"), {320, 240});
    test::ScriptedDialogs dialogs;
    ui::KarwenApp app;
    app.Main();

    dialogs.files = {bmp};
    open(app);
    QCOMPARE(dialogs.requests.back().filters, QStringList({QStringLiteral("画像ファイル (*.bmp *.jpg)")}));
    QVERIFY(isImage(hSrc) && isImage(hDst));
    QCOMPARE(SrcW, 640);
    QCOMPARE(SrcH, 480);
    QCOMPARE(SrcPrm.Proj, kEquidistant);
    QVERIFY(qAbs(SrcPrm.Cx - 320) < 3 && qAbs(SrcPrm.Cy - 240) < 3);
    QVERIFY(SrcPrm.R > 150 && SrcPrm.R < 250);
    views::SrcView* src = app.windows().srcIfLoaded();
    views::DstView* dst = app.windows().dstIfLoaded();
    QVERIFY(src && dst);
    QCOMPARE(src->windowTitle(), QStringLiteral("disc.BMP - Source(50%)"));
    QCOMPARE(dst->windowTitle(), QStringLiteral("New - Destination(100%)"));
    QCOMPARE(RixWidth(hDst), 512);
    for (const char* name : {"mnuFileClose", "mnuFileSave", "mnuFileLoadArea", "mnuFileSaveArea"})
        QVERIFY2(app.frmMain().item(QLatin1String(name))->isEnabled(), name);
    QVERIFY(app.windows().formatIfLoaded()->isEnabled());
    // The destination shows the converted disc: its centre is bright.
    QVERIFY(qBlue(dst->canvas().pixel(256, 256)) > 150);

    // Same size: the source parameters stay as they were.
    SrcPrm.Cx = 111;
    SrcPrm.Rot = 12;
    dialogs.files = {jpg};
    open(app);
    QVERIFY(isImage(hSrc));
    QCOMPARE(SrcPrm.Cx, 111.0);
    QCOMPARE(SrcPrm.Rot, 12.0);
    QCOMPARE(app.windows().srcIfLoaded()->windowTitle(), QStringLiteral("disc.Jpg - Source(50%)"));

    // Another size: detected anew.
    dialogs.files = {small};
    open(app);
    QCOMPARE(SrcW, 320);
    QVERIFY(qAbs(SrcPrm.Cx - 160) < 3);
    QCOMPARE(SrcPrm.Rot, 0.0);
    QCOMPARE(app.windows().srcIfLoaded()->viewScale(), 1.0f);
}

void TestImageCommands::cancelChangesNothing()
{
    const QString bmp = writeDisc(dir_, QStringLiteral("a.bmp"), {256, 256});
    test::ScriptedDialogs dialogs;
    ui::KarwenApp app;
    app.Main();
    dialogs.files = {bmp};
    open(app);
    const int32_t before = hSrc;
    views::SrcView* src = app.windows().srcIfLoaded();
    dialogs.files = {std::nullopt};
    open(app);
    QCOMPARE(hSrc, before);
    QCOMPARE(app.windows().srcIfLoaded(), src);
    dialogs.files = {std::nullopt};
    save(app);
    QVERIFY(DstFile.empty());
    QVERIFY(app.windows().dstIfLoaded()->windowTitle().startsWith(QStringLiteral("New - Destination(")));
}

void TestImageCommands::unreadableFileKeepsTheOpenImage()
{
    const QString bmp = writeDisc(dir_, QStringLiteral("a.bmp"), {256, 256});
    const QString png = dir_.filePath(QStringLiteral("a.png"));
    QVERIFY(QFile::copy(bmp, png));
    const QString broken = dir_.filePath(QStringLiteral("broken.jpg"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a jpeg");
    file.close();
    test::ScriptedDialogs dialogs;
    ui::KarwenApp app;
    app.Main();
    dialogs.files = {bmp, png, broken};
    open(app);
    const int32_t source = hSrc;
    const int32_t result = hDst;
    QVERIFY(isImage(source));
    for (const QString& bad : {png, broken}) {
        open(app);
        QCOMPARE(hSrc, source);
        QCOMPARE(hDst, result);
        QCOMPARE(QString::fromStdString(SrcFile), bmp);
        QVERIFY(app.windows().srcIfLoaded());
        QVERIFY(app.frmMain().item(QStringLiteral("mnuFileClose"))->isEnabled());
        QVERIFY(dialogs.messages.back().contains(bad));
    }
    QCOMPARE(dialogs.messages.size(), 2);
    close_image();
}

void TestImageCommands::resultStandsBesideTheSourceWhenThereIsRoom()
{
    const QString bmp = writeDisc(dir_, QStringLiteral("a.bmp"), {256, 256});
    test::ScriptedDialogs dialogs;
    ui::KarwenApp app;
    app.Main();
    const int mdiWidth = app.frmMain().mdiArea()->viewport()->width();
    for (const int32_t width : {256, 2048}) {
        DstW = width;
        DstH = 256;
        dialogs.files = {bmp};
        open(app);
        const QRect source = app.windows().srcIfLoaded()->outerWindow()->geometry();
        const QRect result = app.windows().dstIfLoaded()->outerWindow()->geometry();
        if (source.right() + 1 + width + 40 <= mdiWidth) {
            QCOMPARE(result.topLeft(), QPoint(source.right() + 1, 0));
        } else {
            QVERIFY(width == 2048);
            QCOMPARE(result.topLeft(), source.topLeft() + QPoint(24, 24));
        }
        close_image();
    }
}

void TestImageCommands::saveAsBmpAndJpg()
{
    const QString bmp = writeDisc(dir_, QStringLiteral("a.bmp"), {256, 256});
    test::ScriptedDialogs dialogs;
    ui::KarwenApp app;
    app.Main();
    dialogs.files = {bmp};
    open(app);

    const QString out = dir_.filePath(QStringLiteral("out"));
    dialogs.files = {out};
    save(app);
    const ui::FileDialogRequest& request = dialogs.requests.back();
    QCOMPARE(request.fileName, bmp); // unsaved: the source path is offered
    QCOMPARE(request.filterIndex, 1);
    QCOMPARE(request.defaultSuffix, QStringLiteral("jpg"));
    QVERIFY(QFile::exists(out + QStringLiteral(".jpg")));
    QCOMPARE(app.windows().dstIfLoaded()->windowTitle(), out + QStringLiteral(".jpg - Destination"));

    const QString asBmp = dir_.filePath(QStringLiteral("out.BMP"));
    dialogs.files = {asBmp};
    save(app);
    QCOMPARE(dialogs.requests.back().fileName, out + QStringLiteral(".jpg")); // the last saved path
    QVERIFY(QFile::exists(asBmp));
    const int32_t back = RixLoadBMP(asBmp.toUtf8().constData());
    QCOMPARE(RixWidth(back), DstW);
    (void)RixDestroy(back);

    // Another extension or a folder that is not there: nothing written, the
    // user is told, and the result keeps its last name.
    const QString tif = dir_.filePath(QStringLiteral("out.tif"));
    const QString nowhere = dir_.filePath(QStringLiteral("missing/out.jpg"));
    dialogs.files = {tif, nowhere};
    save(app);
    save(app);
    QVERIFY(!QFile::exists(tif));
    QCOMPARE(dialogs.messages.size(), 2);
    QVERIFY(dialogs.messages[0].contains(tif));
    QVERIFY(dialogs.messages[1].contains(nowhere));
    QCOMPARE(QString::fromStdString(DstFile), asBmp);
    QCOMPARE(app.windows().dstIfLoaded()->windowTitle(), asBmp + QStringLiteral(" - Destination"));
    close_image();
}

void TestImageCommands::overwriteQuestion()
{
    const QString bmp = writeDisc(dir_, QStringLiteral("a.bmp"), {256, 256});
    const QString existing = dir_.filePath(QStringLiteral("old.bmp"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    test::ScriptedDialogs dialogs;
    ui::KarwenApp app;
    app.Main();
    dialogs.files = {bmp, existing, existing};
    dialogs.answers = {false, true};
    open(app);
    save(app);
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY(DstFile.empty());
    QCOMPARE(QFileInfo(existing).size(), qint64(4));
    save(app);
    QCOMPARE(QString::fromStdString(DstFile), existing);
    QVERIFY(QFileInfo(existing).size() > 512 * 512);
    close_image();
}

void TestImageCommands::openDialogListsAnyCase()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"a.JPG", "b.Jpg", "c.BMP", "d.bmp", "e.png"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ui::FileDialogRequest request;
    request.filters = ui::CommonDialog::qtFilters(QStringLiteral("画像ファイル (*.bmp;*.jpg)|*.bmp;*.jpg"));
    request.fileName = dir.filePath(QStringLiteral("a.JPG"));
    const std::unique_ptr<QFileDialog> dialog = ui::DialogSeam::makeFileDialog(nullptr, request);
    auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(model);
    const QModelIndex folder = model->index(dir.path());
    // Files that match no filter are hidden or greyed, depending on the style.
    QTRY_VERIFY(model->rowCount(folder) >= 4);
    QStringList shown;
    for (int row = 0; row < model->rowCount(folder); ++row) {
        const QModelIndex index = model->index(row, 0, folder);
        if (index.flags() & Qt::ItemIsEnabled)
            shown << model->fileName(index);
    }
    shown.sort();
    QCOMPARE(shown, QStringList({"a.JPG", "b.Jpg", "c.BMP", "d.bmp"}));
}

void TestImageCommands::samplePhotoScreenshot_data()
{
    QTest::addColumn<QString>("photo");
    QTest::newRow("allsky_day") << QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg");
    QTest::newRow("mixed_sunlit") << QStringLiteral(KARWEN_REAL_DATA_DIR "/mixed_sunlit_fce9.jpg");
}

// Opens a real photo through the whole flow, drags the radius once, and
// leaves pictures of the frame and of the source view for a person to look
// at, with the release-to-redrawn time printed.
void TestImageCommands::samplePhotoScreenshot()
{
    QFETCH(QString, photo);
    if (!QFile::exists(photo))
        QSKIP("photo not present");
    test::ScriptedDialogs dialogs;
    ui::KarwenApp app;
    app.Main();
    app.frmMain().show();
    dialogs.files = {photo};
    open(app);
    QVERIFY(isImage(hSrc));
    views::SrcView* src = app.windows().srcIfLoaded();
    QVERIFY(src);
    const QPointF rim = views::mapToView(src->mapping(), {SrcPrm.Cx, SrcPrm.Cy - SrcPrm.R});
    const QPoint from = rim.toPoint();
    const QPoint to = from + QPoint(0, -6);
    QWidget* pct = src->picture();
    const double radiusBefore = SrcPrm.R;
    QTest::mousePress(pct, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), pct->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(pct, &move);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseRelease(pct, Qt::LeftButton, {}, to);
    qInfo("release to redrawn: %lld ms (%dx%d source)", timer.elapsed(), SrcW, SrcH);
    QVERIFY(SrcPrm.R < radiusBefore);
    // The parameters dialog shows the new radius.
    auto* radius = app.windows().formatIfLoaded()->findChild<QLineEdit*>(QStringLiteral("txtR(0)"));
    if (radius)
        QCOMPARE(radius->text(), QString::number(SrcPrm.R, 'f', 2));
    const QString name = QFileInfo(photo).completeBaseName();
    const QString shot = QDir::temp().filePath(QStringLiteral("karwen_%1.png").arg(name));
    QVERIFY(app.frmMain().grab().save(shot));
    const QString srcShot = QDir::temp().filePath(QStringLiteral("karwen_%1_src.png").arg(name));
    QVERIFY(src->grab().save(srcShot));
    qInfo("screenshots: %s %s", qPrintable(shot), qPrintable(srcShot));
    close_image();
}

QTEST_MAIN(TestImageCommands)
#include "tst_image_commands.moc"
