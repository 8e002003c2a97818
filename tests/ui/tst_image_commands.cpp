// "Open(&O)..." and "Save(&S)..." through scripted file dialogs, on images
// generated for the test and on the shipped sample photo.
#include "area_app_fixture.h"
#include "common_dialog.h"

using namespace karwen;
using namespace Qt::StringLiterals;
using test::AreaApp;

namespace {

// The same picture as a JPEG written by the imaging library.
QString bmpToJpeg(const QString& bmp, const QString& jpeg)
{
    const int32_t h = RixLoadBMP(bmp.toUtf8().constData());
    int32_t quality = 75;
    (void)RixSaveJPG(h, jpeg.toUtf8().constData(), &quality);
    (void)RixDestroy(h);
    return jpeg;
}

} // namespace

class TestImageCommands : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        disc_ = test::writeDiscImage(dir_, u"a.bmp"_s, {256, 256});
        QVERIFY(!disc_.isEmpty());
    }

    void openBmpThenJpegOfSameSize()
    {
        const QString bmp = test::writeDiscImage(dir_, u"disc.BMP"_s);
        const QString jpg = bmpToJpeg(bmp, dir_.filePath(u"disc.Jpg"_s));
        const QString small = test::writeDiscImage(dir_, u"small.bmp"_s, {320, 240});
        AreaApp app;

        QVERIFY(app.open(bmp));
        QCOMPARE(app.dialogs.requests.back().filters, QStringList({u"画像ファイル (*.bmp *.jpg *.jpeg *.jpe)"_s}));
        QVERIFY(isImage(hSrc));
        QCOMPARE(SrcW, 640);
        QCOMPARE(SrcH, 480);
        QCOMPARE(SrcPrm.Proj, kEquidistant);
        QVERIFY(qAbs(SrcPrm.Cx - 320) < 3 && qAbs(SrcPrm.Cy - 240) < 3);
        QVERIFY(SrcPrm.R > 150 && SrcPrm.R < 250);
        views::SrcView* src = app.app.windows().srcIfLoaded();
        QVERIFY(src);
        QCOMPARE(src->windowTitle(), u"disc.BMP - Source(50%)"_s);
        QCOMPARE(app.dst()->windowTitle(), u"New - Destination(100%)"_s);
        QCOMPARE(RixWidth(hDst), 512);
        for (const char* name : {"mnuFileClose", "mnuFileSave", "mnuFileLoadArea", "mnuFileSaveArea"})
            QVERIFY2(app.app.frmMain().item(QLatin1String(name))->isEnabled(), name);
        QVERIFY(app.app.windows().formatIfLoaded()->isEnabled());
        // The destination shows the converted disc: its centre, in the
        // middle of the picture, is bright.
        const QImage& shown = app.dst()->canvas();
        QVERIFY(qBlue(shown.pixel(shown.width() / 2, shown.height() / 2)) > 150);

        // Same size: the source parameters stay as they were.
        SrcPrm.Cx = 111;
        SrcPrm.Rot = 12;
        QVERIFY(app.open(jpg));
        QCOMPARE(SrcPrm.Cx, 111.0);
        QCOMPARE(SrcPrm.Rot, 12.0);
        QCOMPARE(app.app.windows().srcIfLoaded()->windowTitle(), u"disc.Jpg - Source(50%)"_s);

        // Another size: detected anew.
        QVERIFY(app.open(small));
        QCOMPARE(SrcW, 320);
        QVERIFY(qAbs(SrcPrm.Cx - 160) < 3);
        QCOMPARE(SrcPrm.Rot, 0.0);
        QCOMPARE(app.app.windows().srcIfLoaded()->viewScale(), 1.0f);
    }

    void cancelChangesNothing()
    {
        AreaApp app;
        QVERIFY(app.open(disc_));
        const int32_t before = hSrc;
        views::SrcView* src = app.app.windows().srcIfLoaded();
        app.dialogs.files = {std::nullopt, std::nullopt};
        app.menu("mnuFileOpen");
        QCOMPARE(hSrc, before);
        QCOMPARE(app.app.windows().srcIfLoaded(), src);
        app.menu("mnuFileSave");
        QVERIFY(DstFile.empty());
        QVERIFY(app.dst()->windowTitle().startsWith(u"New - Destination("_s));
    }

    void unreadableFileKeepsTheOpenImage()
    {
        const QString png = dir_.filePath(u"a.png"_s);
        QVERIFY(QFile::copy(disc_, png));
        const QString broken = dir_.filePath(u"broken.jpg"_s);
        QVERIFY(test::writeFile(broken, "not a jpeg"));
        AreaApp app;
        QVERIFY(app.open(disc_));
        const int32_t source = hSrc;
        const int32_t result = hDst;
        for (const QString& bad : {png, broken}) {
            app.dialogs.files = {bad};
            app.menu("mnuFileOpen");
            QCOMPARE(hSrc, source);
            QCOMPARE(hDst, result);
            QCOMPARE(QString::fromStdString(SrcFile), disc_);
            QVERIFY(app.app.windows().srcIfLoaded());
            QVERIFY(app.app.frmMain().item(u"mnuFileClose"_s)->isEnabled());
        }
        // In the user's words, the library's own on a second line.
        QCOMPARE(app.dialogs.messages.size(), 2);
        QCOMPARE(app.dialogs.messages[0],
            u"Cannot open \"%1\": only BMP and JPEG pictures (.bmp, .jpg, .jpeg, .jpe) can be opened."_s.arg(png));
        QVERIFY(app.dialogs.messages[1].startsWith(
            u"Cannot open \"%1\": the file is cut short or is not a JPEG picture.\n'%1'"_s.arg(broken)));
    }

    void resultStandsBesideTheSourceWhenThereIsRoom()
    {
        // Each in a session of its own: a later photo keeps where the first
        // one's windows stood.
        for (const int32_t width : {256, 2048}) {
            AreaApp app;
            app.app.frmMain().resize(1400, 900); // room beside the source for a 256-wide result
            const int mdiWidth = app.app.frmMain().mdiArea()->viewport()->width();
            DstW = width;
            DstH = 256;
            QVERIFY(app.open(disc_));
            const QRect source = app.app.windows().srcIfLoaded()->outerWindow()->geometry();
            const QRect result = app.dst()->outerWindow()->geometry();
            if (source.right() + 1 + width + 40 <= mdiWidth) {
                QCOMPARE(result.topLeft(), QPoint(source.right() + 1, 0));
            } else {
                QVERIFY(width == 2048);
                QCOMPARE(result.topLeft(), source.topLeft() + QPoint(24, 24));
            }
            close_image();
        }
    }

    void saveAsBmpAndJpg()
    {
        AreaApp app;
        QVERIFY(app.open(disc_));
        const QString out = dir_.filePath(u"out"_s);
        app.dialogs.files = {out};
        app.menu("mnuFileSave");
        const ui::FileDialogRequest& request = app.dialogs.requests.back();
        QCOMPARE(request.fileName, dir_.filePath(u"a-kw.bmp"_s)); // unsaved: beside the BMP photo
        QCOMPARE(request.filterIndex, 0);
        QCOMPARE(request.defaultSuffix, u"bmp"_s);
        QVERIFY(QFile::exists(out + u".bmp"_s));
        QCOMPARE(app.dst()->windowTitle(), out + u".bmp - Destination"_s);

        const QString asBmp = dir_.filePath(u"out.BMP"_s);
        app.dialogs.files = {asBmp};
        app.menu("mnuFileSave");
        QCOMPARE(app.dialogs.requests.back().fileName, out + u".bmp"_s); // the last saved path
        const int32_t back = RixLoadBMP(asBmp.toUtf8().constData());
        QCOMPARE(RixWidth(back), DstW);
        (void)RixDestroy(back);

        // Another extension or a folder that is not there: nothing written, the
        // user is told, and the result keeps its last name.
        const QString tif = dir_.filePath(u"out.tif"_s);
        const QString nowhere = dir_.filePath(u"missing/out.jpg"_s);
        app.dialogs.files = {tif, nowhere};
        app.menu("mnuFileSave");
        app.menu("mnuFileSave");
        QVERIFY(!QFile::exists(tif));
        QCOMPARE(app.dialogs.messages.size(), 2);
        QCOMPARE(app.dialogs.messages[0],
            u"Cannot save \"%1\": only BMP and JPEG pictures (.bmp, .jpg, .jpeg, .jpe) can be saved."_s.arg(tif));
        QVERIFY(app.dialogs.messages[1].startsWith(
            u"Cannot save \"%1\": the folder does not exist.\nthe folder '"_s.arg(nowhere)));
        QCOMPARE(QString::fromStdString(DstFile), asBmp);
        QCOMPARE(app.dst()->windowTitle(), asBmp + u" - Destination"_s);
        // A save that failed in a folder is not where the next Open starts.
        app.dialogs.files = {std::nullopt};
        app.menu("mnuFileOpen");
        QCOMPARE(app.dialogs.requests.back().fileName, asBmp);
    }

    void overwriteQuestion()
    {
        const QString existing = dir_.filePath(u"old.bmp"_s);
        QVERIFY(test::writeFile(existing, "keep"));
        AreaApp app;
        QVERIFY(app.open(disc_));
        app.dialogs.files = {existing, existing};
        app.dialogs.answers = {false, true};
        app.menu("mnuFileSave");
        QCOMPARE(app.dialogs.questions.size(), 1);
        QVERIFY(DstFile.empty());
        QCOMPARE(QFileInfo(existing).size(), qint64(4));
        app.menu("mnuFileSave");
        QCOMPARE(QString::fromStdString(DstFile), existing);
        QVERIFY(QFileInfo(existing).size() > 512 * 512);
    }

    // The dialog offers a name of the result's own beside the photo, in the
    // photo's format; the photo itself is replaced only after a second,
    // plain question that names it.
    void saveNeverReplacesThePhotoUnasked()
    {
        const QString jpg = bmpToJpeg(disc_, dir_.filePath(u"IMG 7.v2.JPG"_s));
        AreaApp app;
        QVERIFY(app.open(jpg));
        app.dialogs.files = {std::nullopt};
        app.menu("mnuFileSave");
        QCOMPARE(app.dialogs.requests.back().fileName, dir_.filePath(u"IMG 7.v2-kw.jpg"_s));
        QCOMPARE(app.dialogs.requests.back().filterIndex, 1);
        QCOMPARE(app.dialogs.requests.back().defaultSuffix, u"jpg"_s);

        QVERIFY(app.open(disc_));
        const QByteArray photo = test::readFile(disc_);
        // Yes to "already exists", No to the photo question: nothing written.
        app.dialogs.files = {disc_};
        app.dialogs.answers = {true, false};
        app.menu("mnuFileSave");
        QCOMPARE(app.dialogs.questions.size(), 2);
        QCOMPARE(app.dialogs.questions[1],
            QDir::toNativeSeparators(disc_) + u"\n\nThis is the photo you opened; replace it with the result?"_s);
        QCOMPARE(test::readFile(disc_), photo);
        QVERIFY(DstFile.empty());
        QVERIFY(app.dst()->windowTitle().startsWith(u"New - Destination("_s));
        // The next save still offers the result's own name.
        app.dialogs.files = {std::nullopt};
        app.menu("mnuFileSave");
        QCOMPARE(app.dialogs.requests.back().fileName, dir_.filePath(u"a-kw.bmp"_s));

        // The same file under another spelling of its path is still the photo.
        const QString samePhoto = dir_.path() + u"/./a.bmp"_s;
        app.dialogs.files = {samePhoto};
        app.dialogs.answers = {true, false};
        app.menu("mnuFileSave");
        QCOMPARE(app.dialogs.questions.size(), 4);
        QCOMPARE(test::readFile(disc_), photo);

        // Yes twice: the photo is replaced by the 512 x 512 result.
        app.dialogs.files = {disc_};
        app.dialogs.answers = {true, true};
        app.menu("mnuFileSave");
        QCOMPARE(QString::fromStdString(DstFile), disc_);
        const int32_t back = RixLoadBMP(disc_.toUtf8().constData());
        QCOMPARE(RixWidth(back), DstW);
        (void)RixDestroy(back);
    }

    // Qt's dialog adds one fixed suffix to a name typed without one; the
    // filter chosen decides it instead.
    void typedNameWithoutExtensionTakesTheChosenFilters()
    {
        ui::FileDialogRequest request;
        request.mode = ui::FileDialogRequest::Mode::Save;
        request.filters = ui::CommonDialog::qtFilters(u"*.bmp|*.bmp|*.jpg|*.jpg"_s);
        request.filterIndex = 1;
        request.defaultSuffix = u"jpg"_s;
        request.fileName = dir_.filePath(u"result"_s);
        const struct {
            int filter;
            const char* typed;
            const char* saved;
        } cases[] = {{0, "result", "result.bmp"}, {1, "result", "result.jpg"}, {0, "result.jpg", "result.jpg"}};
        for (const auto& c : cases) {
            const std::unique_ptr<QFileDialog> dialog = ui::DialogSeam::makeFileDialog(nullptr, request);
            dialog->setDirectory(dir_.path());
            dialog->selectNameFilter(request.filters.at(c.filter));
            auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            QVERIFY(name);
            name->setText(QLatin1String(c.typed));
            QVERIFY(QMetaObject::invokeMethod(dialog.get(), "accept")); // as the Save button does
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
            QCOMPARE(dialog->selectedFiles(), QStringList{dir_.filePath(QLatin1String(c.saved))});
        }
    }

    void openDialogListsAnyCase()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {"a.JPG", "b.Jpg", "c.BMP", "d.bmp", "e.png"}) {
            QVERIFY(test::writeFile(dir.filePath(QLatin1String(name)), {}));
        }
        ui::FileDialogRequest request;
        request.filters = ui::CommonDialog::qtFilters(u"画像ファイル (*.bmp;*.jpg)|*.bmp;*.jpg"_s);
        request.fileName = dir.filePath(u"a.JPG"_s);
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

    // A file's content is never read to choose its icon or type: some files
    // never answer a read, and the dialog would hang on them.
    void dialogsJudgeFilesByNameOnly()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Names without an extension, as /proc/kmsg: only the content could tell.
        const QString looksLikePng = dir.filePath(u"capture"_s);
        const QString plainText = dir.filePath(u"notes"_s);
        QVERIFY(test::writeFile(looksLikePng, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
        QVERIFY(test::writeFile(plainText, "just words"));
        const std::unique_ptr<QFileDialog> dialogs[] = {
            ui::DialogSeam::makeFileDialog(nullptr, ui::FileDialogRequest{}),
            ui::DialogSeam::makeFolderDialog(nullptr, u"Select Folder"_s),
        };
        for (const auto& dialog : dialogs) {
            const QAbstractFileIconProvider* icons = dialog->iconProvider();
            QVERIFY(icons);
            QCOMPARE(icons->type(QFileInfo(looksLikePng)), icons->type(QFileInfo(plainText)));
            QVERIFY(!icons->icon(QFileInfo(looksLikePng)).isNull());
        }
    }

    // A damaged file opens with what could be read, and the user is told.
    void damagedFilesOpenAndSaySo()
    {
        const QString bmp = test::writeDiscImage(dir_, u"whole.bmp"_s);
        const QString jpg = bmpToJpeg(bmp, dir_.filePath(u"whole.jpg"_s));
        const std::pair<QString, qsizetype> cut[] = {{bmp, 640 * 3 * 10}, {jpg, 2000}};
        for (const auto& [whole, bytes] : cut) {
            const QString path = dir_.filePath(u"cut."_s + QFileInfo(whole).suffix());
            QVERIFY(test::writeFile(path, test::readFile(whole).chopped(bytes)));
            AreaApp app;
            QVERIFY(app.open(path));
            QCOMPARE(QString::fromStdString(SrcFile), path);
            QCOMPARE(SrcW, 640);
            QCOMPARE(app.dialogs.messages.size(), 1);
            QVERIFY2(app.dialogs.messages[0].startsWith(
                         u"\"%1\" is damaged: only what could be read is shown.\n'%1': damaged"_s.arg(path)),
                qPrintable(app.dialogs.messages[0]));
            QCOMPARE(app.dialogs.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        }
        // An intact file says nothing.
        AreaApp app;
        QVERIFY(app.open(jpg));
        QVERIFY(app.dialogs.messages.isEmpty());
    }

    void realPhotoRadiusDrag_data()
    {
        QTest::addColumn<QString>("photo");
        QTest::newRow("allsky_day") << QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg");
        QTest::newRow("mixed_sunlit") << QStringLiteral(KARWEN_REAL_DATA_DIR "/mixed_sunlit_fce9.jpg");
    }

    // Opens a real photo through the whole flow and drags the radius once.
    void realPhotoRadiusDrag()
    {
        QFETCH(QString, photo);
        if (!QFile::exists(photo))
            QSKIP("photo not present");
        AreaApp app;
        app.app.frmMain().show();
        QVERIFY(app.open(photo));
        views::SrcView* src = app.app.windows().srcIfLoaded();
        QVERIFY(src);
        const QPointF rim = views::mapToView(src->mapping(), {SrcPrm.Cx, SrcPrm.Cy - SrcPrm.R});
        const QPoint from = rim.toPoint();
        const QPoint to = from + QPoint(0, -6);
        QWidget* pct = src->picture();
        const double radiusBefore = SrcPrm.R;
        QTest::mousePress(pct, Qt::LeftButton, {}, from);
        QMouseEvent move(
            QEvent::MouseMove, QPointF(to), pct->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(pct, &move);
        QTest::mouseRelease(pct, Qt::LeftButton, {}, to);
        QVERIFY(SrcPrm.R < radiusBefore);
        // The parameters dialog shows the new radius.
        auto* radius = app.app.windows().formatIfLoaded()->findChild<QLineEdit*>(u"txtR(0)"_s);
        QVERIFY(radius);
        QCOMPARE(radius->text(), QString::number(SrcPrm.R, 'f', 2));
    }

private:
    QTemporaryDir dir_;
    QString disc_; // 256 x 256
};

QTEST_MAIN(TestImageCommands)
#include "tst_image_commands.moc"
