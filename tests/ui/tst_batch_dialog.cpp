// frmBatch driven like a person would: the load, the file lists, the
// parameter fields with the batch's bounds, runs over folders of good and
// corrupt photos with their closing message (every kind of problem and its
// words are the batch suite's), the choices reaching the run, and the main
// window's open image before and after.
#include "batch_dialog_support.h"
#include "batch_run.h"
#include "dst_view.h"
#include "format_window.h"
#include "karwen_app.h"
#include "main_window.h"
#include "photo_source.h"
#include "src_view.h"
#include "window_registry.h"

using namespace karwen;
using namespace Qt::StringLiterals;
using namespace karwen::test;
using karwen::ui::BatchDialog;

Q_DECLARE_METATYPE(karwen::Field)

namespace {

// The images the library holds among the handles given out so far (the
// store never reuses a handle).
int liveImages()
{
    const int32_t probe = RixCreate(8, 8);
    int live = 0;
    for (int32_t h = 1; h < probe; ++h)
        live += RixWidth(h) > 0 ? 1 : 0;
    (void)RixDestroy(probe);
    return live;
}

// What the person sees of the open image, and the state behind it.
struct OpenImage {
    int32_t src = hSrc, dst = hDst, srcW = SrcW, srcH = SrcH;
    std::string srcFile = SrcFile, dstFile = DstFile;
    ProjectionRecord srcPrm = SrcPrm;
    float refX = RefX, refY = RefY;
    QImage srcPicture, dstPicture, dstPixels = pixelsOf(hDst);
    QString srcTitle, dstTitle, cxField;

    explicit OpenImage(ui::KarwenApp& app)
    {
        views::SrcView* srcView = app.windows().srcIfLoaded();
        views::DstView* dstView = app.windows().dstIfLoaded();
        QVERIFY(srcView && dstView);
        srcPicture = srcView->canvas().copy();
        dstPicture = dstView->canvas().copy();
        srcTitle = srcView->outerWindow()->windowTitle();
        dstTitle = dstView->outerWindow()->windowTitle();
        cxField = app.windows().frmFormat().field(Field::SrcCx)->text();
    }
    bool operator==(const OpenImage& o) const
    {
        return std::tie(src, dst, srcW, srcH, srcFile, dstFile, refX, refY, srcPicture, dstPicture, dstPixels, srcTitle,
                   dstTitle, cxField)
            == std::tie(o.src, o.dst, o.srcW, o.srcH, o.srcFile, o.dstFile, o.refX, o.refY, o.srcPicture, o.dstPicture,
                o.dstPixels, o.srcTitle, o.dstTitle, o.cxField)
            && sameBits(srcPrm, o.srcPrm);
    }
};

} // namespace

class TestBatchDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<BatchFolders> f_;
    BatchDialogs& dialogs() { return f_->dialogs; }
    QStringList& messages() { return f_->dialogs.messages; }

private slots:
    void init() { f_ = std::make_unique<BatchFolders>(); }
    void cleanup() { f_.reset(); }

    // The test screen is 800 x 600: the dialog and its window frame keep
    // within it, and every control shows whole, none behind a scroll bar.
    void dialogFitsASmallScreen()
    {
        const auto dialog = f_->dialog();
        dialog->show();
        const QSize room = dialog->screen()->availableGeometry().size() - QSize(16, 48);
        QVERIFY2(dialog->width() <= room.width() && dialog->height() <= room.height(),
            qPrintable(u"%1 x %2"_s.arg(dialog->width()).arg(dialog->height())));
        auto* scroll = dialog->findChild<QScrollArea*>();
        QVERIFY(scroll != nullptr);
        QVERIFY2(!scroll->horizontalScrollBar()->isVisible(),
            qPrintable(u"%1 x %2 in %3 x %4"_s.arg(scroll->widget()->width())
                           .arg(scroll->widget()->height())
                           .arg(scroll->viewport()->width())
                           .arg(scroll->viewport()->height())));
        QVERIFY(!scroll->verticalScrollBar()->isVisible());
        const QRect shown = scroll->viewport()->rect();
        for (QWidget* control : scroll->widget()->findChildren<QWidget*>()) {
            if (!control->isVisible() || qobject_cast<QScrollBar*>(control))
                continue;
            const QRect at(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
            QVERIFY2(
                shown.contains(at), qPrintable(control->objectName() + u" "_s + control->metaObject()->className()));
        }
    }

    void loadResetsSourceAndListsCurrentFolder()
    {
        writeImage(f_->in("p1.BMP"), 16, 16);
        writeImage(f_->in("p2.jpg"), 16, 16);
        writeBytes(f_->in("p3.jpeg"), "x");
        writeBytes(f_->in("notes.txt"), "x");
        SrcPrm = {100, 120, 90, 10, 20, 30, 0};
        RefX = RefY = 5;
        DstW = 300;
        DstPrm.Proj = 4;

        const auto dialog = f_->dialog();
        // The batch's own start circle, looking straight up: the reference
        // point is the centre.
        QVERIFY(sameBits(SrcPrm, ProjectionRecord{256, 256, 256, 0, 0, 0, 2}));
        QCOMPARE(RefX, 256.0f);
        QCOMPARE(RefY, 256.0f);
        QCOMPARE(dialog->field(Field::SrcCx)->text(), u"256.00"_s);
        QCOMPARE(dialog->field(Field::RefPointY)->text(), u"256.00"_s);
        QCOMPARE(dialog->field(Field::DstWidth)->text(), u"300"_s);
        QCOMPARE(child<QComboBox>(*dialog, u"cmbS"_s)->currentText(), u"Equidistant"_s);
        QCOMPARE(child<QComboBox>(*dialog, u"cmbD"_s)->currentText(), u"Perspective"_s);
        QCOMPARE(DstW, 300);

        QCOMPARE(child<QLineEdit>(*dialog, u"txtFolderS"_s)->text(), QDir::toNativeSeparators(f_->in()));
        QCOMPARE(texts(child<QListWidget>(*dialog, u"lstS"_s)), (QStringList{u"p1.BMP"_s, u"p2.jpg"_s, u"p3.jpeg"_s}));
        QCOMPARE(child<QLabel>(*dialog, u"lblAll"_s)->text(), u"3"_s);
        QCOMPARE(child<QLabel>(*dialog, u"lblSelected"_s)->text(), u"0"_s);
        QCOMPARE(child<QLabel>(*dialog, u"lblProcess"_s)->text(), u"Select Files."_s);
        QVERIFY(messages().isEmpty());

        QCOMPARE(dialog->OutExt(), u"jpg"_s);
        child<QComboBox>(*dialog, u"cmbF"_s)->setCurrentIndex(0);
        QCOMPARE(dialog->OutExt(), u"bmp"_s);

        // Closing gives the main window its own source side back.
        dialog->reject();
        QCOMPARE(SrcPrm.Cx, 100.0);
        QCOMPARE(SrcPrm.Proj, 0);
        QCOMPARE(RefX, 5.0f);
    }

    void loadInMissingFolderReportsAndListsNothing()
    {
        const QString gone = f_->path(u"gone"_s);
        QVERIFY(QDir().mkpath(gone));
        const CurrentFolder here(gone);
        QVERIFY(QDir(gone).removeRecursively());

        BatchDialog dialog;
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages().front().startsWith(u"Cannot list the folder"_s));
        QCOMPARE(child<QListWidget>(dialog, u"lstS"_s)->count(), 0);
        QCOMPARE(child<QLabel>(dialog, u"lblAll"_s)->text(), u"0"_s);
    }

    void listMovesKeepOrder()
    {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"})
            writeBytes(f_->in(QLatin1String(name)), "x");
        const auto dialog = f_->dialog();
        auto* lstS = child<QListWidget>(*dialog, u"lstS"_s);
        auto* lstD = child<QListWidget>(*dialog, u"lstD"_s);
        auto* selected = child<QLabel>(*dialog, u"lblSelected"_s);

        selectRows(lstS, {1, 3, 4});
        child<QPushButton>(*dialog, u"cmdAdd"_s)->click();
        QCOMPARE(texts(lstD), (QStringList{"b.jpg", "d.jpg", "e.jpg"}));
        QCOMPARE(texts(lstS), (QStringList{"a.jpg", "c.jpg", "f.jpg"}));
        QCOMPARE(selected->text(), u"3"_s);

        selectRows(lstS, {0, 2});
        dialog->cmdAdd_Click();
        QCOMPARE(texts(lstD), (QStringList{"b.jpg", "d.jpg", "e.jpg", "a.jpg", "f.jpg"}));
        QCOMPARE(selected->text(), u"5"_s);

        selectRows(lstD, {0, 2, 4});
        child<QPushButton>(*dialog, u"cmdRemove"_s)->click();
        QCOMPARE(texts(lstS), (QStringList{"c.jpg", "b.jpg", "e.jpg", "f.jpg"}));
        QCOMPARE(texts(lstD), (QStringList{"d.jpg", "a.jpg"}));
        QCOMPARE(selected->text(), u"2"_s);
        // Moving files never changes the folder's count.
        QCOMPARE(child<QLabel>(*dialog, u"lblAll"_s)->text(), u"6"_s);

        // Nothing selected: nothing moves.
        lstS->clearSelection();
        dialog->cmdAdd_Click();
        QCOMPARE(lstS->count(), 4);
    }

    void addAllRemoveAllAndBrowse()
    {
        for (const char* name : {"b.JPG", "a.bmp", "c.jpg"})
            writeBytes(f_->in(QLatin1String(name)), "x");
        const auto dialog = f_->dialog();
        auto* lstS = child<QListWidget>(*dialog, u"lstS"_s);
        auto* lstD = child<QListWidget>(*dialog, u"lstD"_s);
        auto* all = child<QLabel>(*dialog, u"lblAll"_s);
        auto* selected = child<QLabel>(*dialog, u"lblSelected"_s);
        const QStringList sorted{"a.bmp", "b.JPG", "c.jpg"};

        selectRows(lstS, {2});
        dialog->cmdAdd_Click();
        child<QPushButton>(*dialog, u"cmdAddAll"_s)->click();
        QCOMPARE(lstS->count(), 0);
        QCOMPARE(texts(lstD), sorted);
        QCOMPARE(selected->text(), u"3"_s);

        child<QPushButton>(*dialog, u"cmdRemoveAll"_s)->click();
        QCOMPARE(texts(lstS), sorted);
        QCOMPARE(lstD->count(), 0);
        QCOMPARE(selected->text(), u"0"_s);
        QCOMPARE(all->text(), u"3"_s);

        // Browse: cancel changes nothing, a folder replaces the source list.
        const QString other = f_->path(u"other"_s);
        QVERIFY(QDir().mkpath(other));
        writeBytes(other + u"/z.jpg"_s, "x");
        dialog->cmdAddAll_Click();
        dialogs().folders = {std::nullopt, other};
        child<QPushButton>(*dialog, u"cmdBrowseS"_s)->click();
        QCOMPARE(texts(lstD), sorted);
        dialog->cmdBrowseS_Click();
        QCOMPARE(dialogs().folderTitles, (QStringList{"Select Folder", "Select Folder"}));
        QCOMPARE(child<QLineEdit>(*dialog, u"txtFolderS"_s)->text(), other);
        QCOMPARE(texts(lstS), QStringList{"z.jpg"});
        QCOMPARE(all->text(), u"1"_s);
        QCOMPARE(lstD->count(), 0);
        QCOMPARE(selected->text(), u"0"_s);

        auto* folderD = child<QLineEdit>(*dialog, u"txtFolderD"_s);
        const QString before = folderD->text();
        dialogs().folders = {std::nullopt, other};
        child<QPushButton>(*dialog, u"cmdBrowseD"_s)->click();
        QCOMPARE(folderD->text(), before);
        dialog->cmdBrowseD_Click();
        QCOMPARE(folderD->text(), other);
        QVERIFY(messages().isEmpty());
    }

    // A folder typed is listed by Enter in its box; one that is not there,
    // or a file, is said to be so when a list is filled again.
    void folderTextListsOnEnterOrRefill()
    {
        writeBytes(f_->in(u"a.jpg"_s), "x");
        const QString other = f_->path(u"other"_s);
        QVERIFY(QDir().mkpath(other));
        for (const char* name : {"y.jpg", "x.BMP", "notes.txt"})
            writeBytes(other + QLatin1Char('/') + QLatin1String(name), "x");
        const auto dialog = f_->dialog();
        auto* folderS = child<QLineEdit>(*dialog, u"txtFolderS"_s);
        auto* lstS = child<QListWidget>(*dialog, u"lstS"_s);
        auto* lstD = child<QListWidget>(*dialog, u"lstD"_s);
        dialog->cmdAddAll_Click();

        folderS->setText(other);
        QTest::keyClick(folderS, Qt::Key_Return);
        QCOMPARE(texts(lstS), (QStringList{"x.BMP", "y.jpg"}));
        QCOMPARE(lstD->count(), 0);
        QCOMPARE(child<QLabel>(*dialog, u"lblAll"_s)->text(), u"2"_s);
        QCOMPARE(child<QLabel>(*dialog, u"lblSelected"_s)->text(), u"0"_s);

        // Typing a folder lists nothing until a list is filled again.
        folderS->setText(f_->path(u"nowhere"_s));
        QCOMPARE(lstS->count(), 2);
        dialog->cmdAddAll_Click();
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages().front().contains(u"nowhere"_s));
        QCOMPARE(dialogs().icons.front(), QMessageBox::Warning);
        QCOMPARE(lstS->count(), 0);
        QCOMPARE(lstD->count(), 0);
        QCOMPARE(child<QLabel>(*dialog, u"lblSelected"_s)->text(), u"0"_s);
        // Enter says so too; and a file is not a folder either.
        QTest::keyClick(folderS, Qt::Key_Enter);
        folderS->setText(f_->in(u"a.jpg"_s));
        dialog->cmdRemoveAll_Click();
        QCOMPARE(messages().size(), 3);
        QVERIFY(messages()[1].contains(u"nowhere"_s));
        QCOMPARE(lstS->count(), 0);
    }

    void fieldBounds_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        // The source centre and the reference point are bounded by 32767 and
        // the radius by 16384 whatever the images' size; the other fields share
        // the parameters dialog's rules (their edges are tested with those), so
        // one refused and one rounded value show the batch takes them.
        // (tests/app holds every edge of kBatchBounds; these show the dialog
        // takes them, not the open photo's).
        QTest::newRow("centre x 2000") << Field::SrcCx << "2000" << true;
        QTest::newRow("centre y 32767") << Field::SrcCy << " 32767 " << true;
        QTest::newRow("centre x 32767.5") << Field::SrcCx << "32767.5" << false;
        QTest::newRow("reference x 0") << Field::RefPointX << "0" << true;
        QTest::newRow("radius 16384") << Field::SrcR << "16384" << true;
        QTest::newRow("radius 16384.01") << Field::SrcR << "16384.01" << false;
        QTest::newRow("width 2048.5 to even") << Field::DstWidth << "2048.5" << true;
    }

    void fieldBounds()
    {
        QFETCH(Field, field);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        const auto dialog = f_->dialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        const ProjectionRecord src = SrcPrm;
        const ProjectionRecord dst = DstPrm;
        const float refX = RefX;
        const int32_t dstW = DstW;

        QLineEdit* box = dialog->field(field);
        box->setText(text);
        child<QLineEdit>(*dialog, u"txtpostfix"_s)->setFocus();
        dialog->Apply();

        if (accepted) {
            QVERIFY(messages().isEmpty());
            if (field == Field::SrcCx)
                QCOMPARE(SrcPrm.Cx, text.toDouble());
            if (field == Field::RefPointX) {
                // The view angles follow the new reference point.
                QCOMPARE(RefX, 0.0f);
                QVERIFY(SrcPrm.Alpha != src.Alpha || SrcPrm.Beta != src.Beta);
            }
            if (field == Field::DstWidth) {
                QCOMPARE(DstW, 2048);
                QCOMPARE(box->text(), u"2048"_s);
            }
            // No conversion: the batch dialog only stores.
            QCOMPARE(hDst, 0);
        } else {
            QCOMPARE(messages(), QStringList{"Illegal Value"});
            QCOMPARE(dialogs().icons.front(), QMessageBox::Warning);
            QCOMPARE(QApplication::focusWidget(), box);
            QCOMPARE(box->text(), text);
            QVERIFY(sameBits(SrcPrm, src) && sameBits(DstPrm, dst));
            QCOMPARE(RefX, refX);
            QCOMPARE(DstW, dstW);
        }
    }

    // When the fields apply is the parameter form's (format_window_test):
    // here, Start with a refused field pending runs nothing.
    void startWithARefusedFieldRunsNothing()
    {
        const auto dialog = f_->dialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        child<QPushButton>(*dialog, u"cmdAddAll"_s)->click();
        QLineEdit* box = dialog->field(Field::SrcCx);
        box->setText(u"-1"_s);
        QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(box, &leave);
        dialog->cmdStart_Click();
        QCOMPARE(messages(), QStringList{"Illegal Value"});
        QCOMPARE(child<QLabel>(*dialog, u"lblProcess"_s)->text(), u"Select Files."_s);
        QVERIFY(!dialog->isRunning());
    }

    void startWithoutFilesAsksForFiles()
    {
        writeImage(f_->in(u"a.jpg"_s), 32, 32);
        const auto dialog = f_->dialog();
        QSignalSpy progress(dialog.get(), &BatchDialog::progressShown);
        child<QPushButton>(*dialog, u"cmdStart"_s)->click();
        QCOMPARE(messages(), QStringList{"Select Files"});
        QCOMPARE(dialogs().icons.front(), QMessageBox::NoIcon);
        QCOMPARE(progress.count(), 0);
        QCOMPARE(hSrc, 0);
        QVERIFY(f_->written().isEmpty());
    }

    void runConvertsGoodFilesAndNamesTheOthers()
    {
        // Photos large enough for the start circle (256, 256, radius 256).
        const QString longName = u"a_photograph_with_a_name_over_thirty.jpg"_s;
        writeImage(f_->in(u"a.jpg"_s), 600, 520);
        writeImage(f_->in(longName), 520, 520);
        writeImage(f_->in(u"b.BMP"_s), 640, 560);
        writeBytes(f_->in(u"c.jpg"_s), QByteArray("\xFF\xD8\xFF\xE0 not really a jpeg"));
        writeBytes(f_->in(u"notes.txt"_s), "no image");
        DstW = 40;
        DstH = 30;
        DstPrm = {20, 15, 14, 0, 0, 0, 2};

        const auto dialog = f_->dialog();
        dialog->show();
        dialog->cmdAddAll_Click();
        const QStringList names{"a.jpg", longName, "b.BMP", "c.jpg"};
        QCOMPARE(texts(child<QListWidget>(*dialog, u"lstD"_s)), names);

        // What the person sees while each file is done.
        auto* start = child<QPushButton>(*dialog, u"cmdStart"_s);
        auto* stop = child<QPushButton>(*dialog, u"cmdStop"_s);
        auto* label = child<QLabel>(*dialog, u"lblProcess"_s);
        QStringList shown;
        QList<bool> startShown, stopShown;
        connect(dialog.get(), &BatchDialog::progressShown, this, [&](const QString& text) {
            shown << label->text();
            QCOMPARE(text, label->text());
            startShown << start->isVisible();
            stopShown << (stop->isVisible() && stop->isEnabled());
            // A person clicking Start and pressing Escape meanwhile: Start is
            // gone, and Escape asks before anything stops (answered No here).
            if (shown.size() == 1) {
                QTest::mouseClick(start, Qt::LeftButton);
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
            }
        });
        QTest::mouseClick(start, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), 120000);

        QStringList expected;
        for (int i = 0; i < names.size(); ++i)
            expected << QString::fromStdString(batchProgressText(names[i].toStdString(), i + 1, 4))
                            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QCOMPARE(shown, expected);
        QCOMPARE(dialogs().questions.size(), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(startShown, QList<bool>(4, false));
        QCOMPARE(stopShown, QList<bool>(4, true));
        QVERIFY(start->isVisible() && start->isEnabled() && !stop->isVisible());
        QCOMPARE(label->text(), u"Completed: 3 converted, 0 skipped, 1 failed."_s);
        // The corrupt photo is named, after the run, in the user's words.
        QCOMPARE(messages().size(), 1);
        const QStringList lines = messages().front().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], label->text());
        QCOMPARE(lines[3], f_->in(u"c.jpg"_s) + u": the file is cut short or is not a JPEG picture."_s);
        QCOMPARE(f_->written(), (QStringList{"a-kw.jpg", "a_photograph_with_a_name_over_thirty-kw.jpg", "b-kw.jpg"}));
    }

    // The choices reach the run (what each does is the batch suite's): the
    // circle found in each photo, BMP results, no postfix.
    void runTakesTheDialogsChoices()
    {
        const test::Disc disc{600, 450, 120}; // far from the start circle
        writeImage(f_->in(u"d.JPG"_s), 1200, 900, &disc);
        const auto dialog = f_->dialog();
        auto* find = child<QCheckBox>(*dialog, u"chkFindCircle"_s);
        QCOMPARE(find->text(), u"Find the circle in each photo"_s);
        QVERIFY(!find->isChecked());
        dialog->cmdAddAll_Click();
        child<QComboBox>(*dialog, u"cmbF"_s)->setCurrentIndex(0);
        child<QLineEdit>(*dialog, u"txtpostfix"_s)->clear();

        find->setChecked(true);
        QVERIFY(runToTheEnd(*dialog));
        QVERIFY(messages().isEmpty());
        QCOMPARE(f_->written(), QStringList{"d.bmp"});
        const int32_t written = RixLoadBMP(QDir(f_->out()).filePath(u"d.bmp"_s).toUtf8().constData());
        QVERIFY(isImage(written));
        (void)RixDestroy(written);
        QCOMPARE(liveImages(), 0);
        // Found for the run only: the dialog keeps its own circle.
        QCOMPARE(SrcPrm.Cx, 256.0);
        QCOMPARE(dialog->field(Field::SrcR)->text(), u"256.00"_s);
    }

    void openImageSurvivesABatch()
    {
        ui::KarwenApp app;
        app.Main();
        const QString photo = f_->path(u"open.bmp"_s);
        const test::Disc disc{150, 100, 90};
        writeImage(photo, 300, 200, &disc);
        dialogs().files.push_back(photo);
        app.frmMain().item(u"mnuFileOpen"_s)->trigger();
        QVERIFY(isImage(hSrc));
        // A circle fitted by hand and a result saved: the user's work.
        SrcPrm.Cx += 7.5;
        SrcPrm.R -= 4;
        RefX += 20;
        ref2angle();
        reset_src_param(false);
        src_update();
        convert();
        dst_update();
        DstFile = f_->path(u"saved.jpg"_s).toStdString();
        const OpenImage before(app);

        writeImage(f_->in(u"big.jpg"_s), 600, 520);
        writeImage(f_->in(u"small.bmp"_s), 520, 512);
        const auto convertAll = [&](const QString& width) {
            const auto dialog = f_->dialog(&app.frmMain());
            QCOMPARE(SrcPrm.Cx, 256.0); // the dialog starts from its own circle
            // The second size replaces the results of the first.
            child<QCheckBox>(*dialog, u"chkReplace"_s)->setChecked(true);
            dialog->field(Field::DstWidth)->setText(width);
            dialog->Apply();
            dialog->cmdAddAll_Click();
            QVERIFY(runToTheEnd(*dialog));
            QVERIFY(messages().isEmpty());
            dialog->cmdCancel_Click();
        };

        convertAll(u"512"_s);
        QCOMPARE(f_->written().size(), 2);
        QVERIFY(OpenImage(app) == before);
        QVERIFY(app.frmMain().item(u"mnuFileSave"_s)->isEnabled());

        // A new destination size from the dialog: the main window's result is
        // made again in that size from its own source side, shown at 100 %.
        app.windows().dstIfLoaded()->set_sc(0.5f);
        convertAll(u"200"_s);
        QCOMPARE(DstW, 200);
        QCOMPARE(hSrc, before.src);
        QVERIFY(sameBits(SrcPrm, before.srcPrm));
        QCOMPARE(RixWidth(hDst), 200);
        const int32_t fresh = RixCreate(DstW, DstH);
        QVERIFY(convertImages(hSrc, fresh, SrcPrm, DstPrm, Interp));
        QCOMPARE(pixelsOf(hDst), pixelsOf(fresh));
        (void)RixDestroy(fresh);
        QCOMPARE(app.windows().dstIfLoaded()->viewScale(), 1.0f);
        QCOMPARE(app.windows().frmFormat().field(Field::DstWidth)->text(), u"200"_s);
        QCOMPARE(app.windows().frmFormat().field(Field::SrcCx)->text(), before.cxField);

        app.frmMain().item(u"mnuFileClose"_s)->trigger();
        QCOMPARE(liveImages(), 0);
        app.frmMain().close();
    }
};

QTEST_MAIN(TestBatchDialog)
#include "tst_batch_dialog.moc"
