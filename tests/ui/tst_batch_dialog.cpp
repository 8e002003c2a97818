// frmBatch driven like a person would: the load, the file lists, the
// parameter fields with the batch's bounds, runs over folders of good,
// corrupt, clashing and off-circle photos with their closing message, and
// the main window's open image before and after.
#include "batch_dialog.h"
#include "batch_dialog_support.h"
#include "batch_run.h"
#include "dst_view.h"
#include "format_window.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "scripted_dialogs.h"
#include "src_view.h"
#include "window_registry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace karwen;
using karwen::Field;
using karwen::test::CurrentFolder;
using karwen::ui::BatchDialog;
using namespace karwen::test;
using Dialogs = karwen::test::BatchDialogs;

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

} // namespace

class TestBatchDialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loadResetsSourceAndListsCurrentFolder();
    void loadInMissingFolderReportsAndListsNothing();
    void dialogFitsASmallScreen();
    void listMovesKeepOrder();
    void addAllRemoveAllAndBrowse();
    void folderTextNamingNoFolder();
    void fieldBounds_data();
    void fieldBounds();
    void onlyFocusMovesInsideApply();
    void startWithoutFilesAsksForFiles();
    void runConvertsGoodFilesAndNamesTheOthers();
    void runWritesBmpAndEmptyPostfix();
    void closingMessageListsEveryProblemOnce();
    void findTheCircleInEachPhoto();
    void openImageSurvivesABatch();

private:
    // A fresh dialog over dir_/in, destination dir_/out.
    std::unique_ptr<BatchDialog> dialogOverInput();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Dialogs> dialogs_;
};

void TestBatchDialog::init()
{
    initGlobals();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("in")));
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("out")));
    dialogs_ = std::make_unique<Dialogs>();
}

void TestBatchDialog::cleanup()
{
    (void)RixDestroy(hSrc);
    (void)RixDestroy(hDst);
    hSrc = hDst = 0;
    dialogs_.reset();
    dir_.reset();
}

std::unique_ptr<BatchDialog> TestBatchDialog::dialogOverInput()
{
    const CurrentFolder here(dir_->filePath(QStringLiteral("in")));
    auto dialog = std::make_unique<BatchDialog>();
    child<QLineEdit>(*dialog, QStringLiteral("txtFolderD"))->setText(dir_->filePath(QStringLiteral("out")));
    return dialog;
}

// ---- Load -----------------------------------------------------------------

// The test screen is 800 x 600: the dialog keeps within it and its
// controls scroll, every one still reachable.
void TestBatchDialog::dialogFitsASmallScreen()
{
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    dialog->show();
    const QSize screen = dialog->screen()->availableGeometry().size();
    QVERIFY2(dialog->width() <= screen.width() && dialog->height() <= screen.height(),
        qPrintable(QStringLiteral("%1 x %2").arg(dialog->width()).arg(dialog->height())));
    auto* scroll = dialog->findChild<QScrollArea*>();
    QVERIFY(scroll != nullptr);
    QVERIFY(scroll->widget()->width() > scroll->viewport()->width());
    auto* exit = child<QPushButton>(*dialog, QStringLiteral("cmdCancel"));
    scroll->ensureWidgetVisible(exit);
    QVERIFY(scroll->viewport()->rect().contains(exit->mapTo(scroll->viewport(), exit->rect().center())));
}

void TestBatchDialog::loadResetsSourceAndListsCurrentFolder()
{
    const QString in = dir_->filePath(QStringLiteral("in"));
    writeImage(in + QStringLiteral("/p1.BMP"), 16, 16);
    writeImage(in + QStringLiteral("/p2.jpg"), 16, 16);
    writeBytes(in + QStringLiteral("/p3.jpeg"), "x");
    writeBytes(in + QStringLiteral("/notes.txt"), "x");
    SrcPrm = {100, 120, 90, 10, 20, 30, 0};
    RefX = RefY = 5;
    DstW = 300;
    DstPrm.Proj = 4;

    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();

    QCOMPARE(dialog->windowTitle(), QStringLiteral("Batch Conversion"));
    QCOMPARE(SrcPrm.Cx, 256.0);
    QCOMPARE(SrcPrm.Cy, 256.0);
    QCOMPARE(SrcPrm.R, 256.0);
    QCOMPARE(SrcPrm.Alpha, 0.0);
    QCOMPARE(SrcPrm.Beta, 0.0);
    QCOMPARE(SrcPrm.Rot, 0.0);
    QCOMPARE(SrcPrm.Proj, 2);
    // Looking straight up: the reference point is the centre.
    QCOMPARE(RefX, 256.0f);
    QCOMPARE(RefY, 256.0f);
    QCOMPARE(dialog->field(Field::SrcCx)->text(), QStringLiteral("256.00"));
    QCOMPARE(dialog->field(Field::RefPointY)->text(), QStringLiteral("256.00"));
    QCOMPARE(dialog->field(Field::DstWidth)->text(), QStringLiteral("300"));
    QCOMPARE(child<QComboBox>(*dialog, QStringLiteral("cmbS"))->currentText(), QStringLiteral("Equidistant"));
    QCOMPARE(child<QComboBox>(*dialog, QStringLiteral("cmbD"))->currentText(), QStringLiteral("Perspective"));
    QCOMPARE(DstW, 300);

    QCOMPARE(dialog->OutExt(), QStringLiteral("jpg"));
    QCOMPARE(child<QComboBox>(*dialog, QStringLiteral("cmbF"))->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>(*dialog, QStringLiteral("txtpostfix"))->text(), QStringLiteral("-kw"));
    QCOMPARE(child<QLineEdit>(*dialog, QStringLiteral("txtFolderS"))->text(), QDir::toNativeSeparators(in));
    QCOMPARE(texts(child<QListWidget>(*dialog, QStringLiteral("lstS"))),
        (QStringList{QStringLiteral("p1.BMP"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpeg")}));
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblAll"))->text(), QStringLiteral("3"));
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblSelected"))->text(), QStringLiteral("0"));
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblProcess"))->text(), QStringLiteral("Select Files."));
    QVERIFY(dialogs_->messages.isEmpty());

    child<QComboBox>(*dialog, QStringLiteral("cmbF"))->setCurrentIndex(0);
    QCOMPARE(dialog->OutExt(), QStringLiteral("bmp"));

    // Closing gives the main window its own source side back.
    dialog->reject();
    QCOMPARE(SrcPrm.Cx, 100.0);
    QCOMPARE(SrcPrm.Proj, 0);
    QCOMPARE(RefX, 5.0f);
}

void TestBatchDialog::loadInMissingFolderReportsAndListsNothing()
{
    const QString gone = dir_->filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkpath(gone));
    const CurrentFolder here(gone);
    QVERIFY(QDir(gone).removeRecursively());

    BatchDialog dialog;
    QCOMPARE(dialogs_->messages.size(), 1);
    QVERIFY(dialogs_->messages.front().startsWith(QStringLiteral("Cannot list the folder")));
    QCOMPARE(child<QListWidget>(dialog, QStringLiteral("lstS"))->count(), 0);
    QCOMPARE(child<QLabel>(dialog, QStringLiteral("lblAll"))->text(), QStringLiteral("0"));
}

// ---- File lists -----------------------------------------------------------

void TestBatchDialog::listMovesKeepOrder()
{
    const QString in = dir_->filePath(QStringLiteral("in"));
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"})
        writeBytes(in + QLatin1Char('/') + QLatin1String(name), "x");
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    auto* lstS = child<QListWidget>(*dialog, QStringLiteral("lstS"));
    auto* lstD = child<QListWidget>(*dialog, QStringLiteral("lstD"));
    auto* selected = child<QLabel>(*dialog, QStringLiteral("lblSelected"));

    selectRows(lstS, {1, 3, 4});
    child<QPushButton>(*dialog, QStringLiteral("cmdAdd"))->click();
    QCOMPARE(texts(lstD), (QStringList{"b.jpg", "d.jpg", "e.jpg"}));
    QCOMPARE(texts(lstS), (QStringList{"a.jpg", "c.jpg", "f.jpg"}));
    QCOMPARE(selected->text(), QStringLiteral("3"));

    selectRows(lstS, {0, 2});
    dialog->cmdAdd_Click();
    QCOMPARE(texts(lstD), (QStringList{"b.jpg", "d.jpg", "e.jpg", "a.jpg", "f.jpg"}));
    QCOMPARE(selected->text(), QStringLiteral("5"));

    selectRows(lstD, {0, 2, 4});
    child<QPushButton>(*dialog, QStringLiteral("cmdRemove"))->click();
    QCOMPARE(texts(lstS), (QStringList{"c.jpg", "b.jpg", "e.jpg", "f.jpg"}));
    QCOMPARE(texts(lstD), (QStringList{"d.jpg", "a.jpg"}));
    QCOMPARE(selected->text(), QStringLiteral("2"));
    // Moving files never changes the folder's count.
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblAll"))->text(), QStringLiteral("6"));

    // Nothing selected: nothing moves.
    lstS->clearSelection();
    dialog->cmdAdd_Click();
    QCOMPARE(lstS->count(), 4);
}

void TestBatchDialog::addAllRemoveAllAndBrowse()
{
    const QString in = dir_->filePath(QStringLiteral("in"));
    for (const char* name : {"b.JPG", "a.bmp", "c.jpg"})
        writeBytes(in + QLatin1Char('/') + QLatin1String(name), "x");
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    auto* lstS = child<QListWidget>(*dialog, QStringLiteral("lstS"));
    auto* lstD = child<QListWidget>(*dialog, QStringLiteral("lstD"));
    auto* all = child<QLabel>(*dialog, QStringLiteral("lblAll"));
    auto* selected = child<QLabel>(*dialog, QStringLiteral("lblSelected"));
    const QStringList sorted{"a.bmp", "b.JPG", "c.jpg"};

    selectRows(lstS, {2});
    dialog->cmdAdd_Click();
    child<QPushButton>(*dialog, QStringLiteral("cmdAddAll"))->click();
    QCOMPARE(lstS->count(), 0);
    QCOMPARE(texts(lstD), sorted);
    QCOMPARE(selected->text(), QStringLiteral("3"));

    child<QPushButton>(*dialog, QStringLiteral("cmdRemoveAll"))->click();
    QCOMPARE(texts(lstS), sorted);
    QCOMPARE(lstD->count(), 0);
    QCOMPARE(selected->text(), QStringLiteral("0"));
    QCOMPARE(all->text(), QStringLiteral("3"));

    // Browse: cancel changes nothing, a folder replaces the source list.
    const QString other = dir_->filePath(QStringLiteral("other"));
    QVERIFY(QDir().mkpath(other));
    writeBytes(other + QStringLiteral("/z.jpg"), "x");
    dialog->cmdAddAll_Click();
    dialogs_->folders = {std::nullopt, other};
    child<QPushButton>(*dialog, QStringLiteral("cmdBrowseS"))->click();
    QCOMPARE(texts(lstD), sorted);
    dialog->cmdBrowseS_Click();
    QCOMPARE(dialogs_->folderTitles, (QStringList{"Select Folder", "Select Folder"}));
    QCOMPARE(child<QLineEdit>(*dialog, QStringLiteral("txtFolderS"))->text(), other);
    QCOMPARE(texts(lstS), QStringList{"z.jpg"});
    QCOMPARE(all->text(), QStringLiteral("1"));
    QCOMPARE(lstD->count(), 0);
    QCOMPARE(selected->text(), QStringLiteral("0"));

    auto* folderD = child<QLineEdit>(*dialog, QStringLiteral("txtFolderD"));
    const QString before = folderD->text();
    dialogs_->folders = {std::nullopt, other};
    child<QPushButton>(*dialog, QStringLiteral("cmdBrowseD"))->click();
    QCOMPARE(folderD->text(), before);
    dialog->cmdBrowseD_Click();
    QCOMPARE(folderD->text(), other);
    QVERIFY(dialogs_->messages.isEmpty());
}

void TestBatchDialog::folderTextNamingNoFolder()
{
    writeBytes(dir_->filePath(QStringLiteral("in/a.jpg")), "x");
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    auto* folderS = child<QLineEdit>(*dialog, QStringLiteral("txtFolderS"));
    auto* lstS = child<QListWidget>(*dialog, QStringLiteral("lstS"));

    // Typing a folder lists nothing until a list is filled again.
    folderS->setText(dir_->filePath(QStringLiteral("nowhere")));
    QCOMPARE(lstS->count(), 1);
    dialog->cmdAddAll_Click();
    QCOMPARE(dialogs_->messages.size(), 1);
    QVERIFY(dialogs_->messages.front().contains(QStringLiteral("nowhere")));
    QCOMPARE(dialogs_->icons.front(), QMessageBox::Warning);
    QCOMPARE(lstS->count(), 0);
    QCOMPARE(child<QListWidget>(*dialog, QStringLiteral("lstD"))->count(), 0);
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblSelected"))->text(), QStringLiteral("0"));

    // A file is not a folder either.
    folderS->setText(dir_->filePath(QStringLiteral("in/a.jpg")));
    dialog->cmdRemoveAll_Click();
    QCOMPARE(dialogs_->messages.size(), 2);
    QCOMPARE(lstS->count(), 0);
}

// ---- Parameter fields -----------------------------------------------------

void TestBatchDialog::fieldBounds_data()
{
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    // The source centre and the reference point are bounded by 32767 and
    // the radius by 16384 whatever the images' size; the other fields share
    // the parameters dialog's rules (their edges are tested with those), so
    // one refused and one rounded value show the batch takes them.
    QTest::newRow("centre x 2000") << Field::SrcCx << "2000" << true;
    QTest::newRow("centre x 32767.5") << Field::SrcCx << "32767.5" << false;
    QTest::newRow("centre y 32767") << Field::SrcCy << " 32767 " << true;
    QTest::newRow("centre y -0.01") << Field::SrcCy << "-0.01" << false;
    QTest::newRow("reference x 0") << Field::RefPointX << "0" << true;
    QTest::newRow("reference x 32767.01") << Field::RefPointX << "32767.01" << false;
    QTest::newRow("reference y 32768") << Field::RefPointY << "32768" << false;
    QTest::newRow("radius 10") << Field::SrcR << "10" << false;
    QTest::newRow("radius 16384") << Field::SrcR << "16384" << true;
    QTest::newRow("radius 16384.01") << Field::SrcR << "16384.01" << false;
    QTest::newRow("width 2048.5 to even") << Field::DstWidth << "2048.5" << true;
}

void TestBatchDialog::fieldBounds()
{
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    const ProjectionRecord src = SrcPrm;
    const ProjectionRecord dst = DstPrm;
    const float refX = RefX;
    const int32_t dstW = DstW;

    QLineEdit* box = dialog->field(field);
    box->setText(text);
    child<QLineEdit>(*dialog, QStringLiteral("txtpostfix"))->setFocus();
    dialog->Apply();

    if (accepted) {
        QVERIFY(dialogs_->messages.isEmpty());
        if (field == Field::SrcCx)
            QCOMPARE(SrcPrm.Cx, text.toDouble());
        if (field == Field::RefPointX) {
            // The view angles follow the new reference point.
            QCOMPARE(RefX, 0.0f);
            QVERIFY(SrcPrm.Alpha != src.Alpha || SrcPrm.Beta != src.Beta);
        }
        if (field == Field::DstWidth) {
            QCOMPARE(DstW, 2048);
            QCOMPARE(box->text(), QStringLiteral("2048"));
        }
        // No conversion: the batch dialog only stores.
        QCOMPARE(hDst, 0);
    } else {
        QCOMPARE(dialogs_->messages, QStringList{"Illegal Value"});
        QCOMPARE(dialogs_->icons.front(), QMessageBox::Warning);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->text(), text);
        QCOMPARE(std::memcmp(&SrcPrm, &src, sizeof src), 0);
        QCOMPARE(std::memcmp(&DstPrm, &dst, sizeof dst), 0);
        QCOMPARE(RefX, refX);
        QCOMPARE(DstW, dstW);
    }
}

void TestBatchDialog::onlyFocusMovesInsideApply()
{
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QLineEdit* box = dialog->field(Field::SrcCx);
    box->setText(QStringLiteral("33000"));

    // The focus taken by another window applies nothing...
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box, &away);
    QTest::qWait(20);
    QVERIFY(dialogs_->messages.isEmpty());

    // ...a move to another control does, once the focus has settled.
    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &tab);
    QVERIFY(dialogs_->messages.isEmpty());
    QTRY_COMPARE(dialogs_->messages, QStringList{"Illegal Value"});

    // A double click applies at once; a valid value is then stored.
    box->setText(QStringLiteral("1500"));
    QTest::mouseDClick(box, Qt::LeftButton);
    QCOMPARE(SrcPrm.Cx, 1500.0);
    QCOMPARE(dialogs_->messages.size(), 1);

    // Start with a refused field pending runs nothing.
    child<QPushButton>(*dialog, QStringLiteral("cmdAddAll"))->click();
    box->setText(QStringLiteral("-1"));
    QFocusEvent toStart(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(box, &toStart);
    dialog->cmdStart_Click();
    QCOMPARE(dialogs_->messages, (QStringList{"Illegal Value", "Illegal Value"}));
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblProcess"))->text(), QStringLiteral("Select Files."));
}

// ---- Runs -----------------------------------------------------------------

void TestBatchDialog::startWithoutFilesAsksForFiles()
{
    writeImage(dir_->filePath(QStringLiteral("in/a.jpg")), 32, 32);
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    QSignalSpy progress(dialog.get(), &BatchDialog::progressShown);
    child<QPushButton>(*dialog, QStringLiteral("cmdStart"))->click();
    QCOMPARE(dialogs_->messages, QStringList{"Select Files"});
    QCOMPARE(dialogs_->icons.front(), QMessageBox::NoIcon);
    QCOMPARE(progress.count(), 0);
    QCOMPARE(hSrc, 0);
    QVERIFY(QDir(dir_->filePath(QStringLiteral("out"))).isEmpty());
}

void TestBatchDialog::runConvertsGoodFilesAndNamesTheOthers()
{
    // Photos large enough for the start circle (256, 256, radius 256).
    const QString in = dir_->filePath(QStringLiteral("in"));
    const QString longName = QStringLiteral("a_photograph_with_a_name_over_thirty.jpg");
    writeImage(in + QStringLiteral("/a.jpg"), 600, 520);
    writeImage(in + QLatin1Char('/') + longName, 520, 520);
    writeImage(in + QStringLiteral("/b.BMP"), 640, 560);
    writeBytes(in + QStringLiteral("/c.jpg"), QByteArray("\xFF\xD8\xFF\xE0 not really a jpeg"));
    writeBytes(in + QStringLiteral("/notes.txt"), "no image");
    DstW = 40;
    DstH = 30;
    DstPrm = {20, 15, 14, 0, 0, 0, 2};

    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    dialog->show();
    dialog->cmdAddAll_Click();
    const QStringList names{"a.jpg", longName, "b.BMP", "c.jpg"};
    QCOMPARE(texts(child<QListWidget>(*dialog, QStringLiteral("lstD"))), names);

    // What the person sees while each file is done.
    auto* start = child<QPushButton>(*dialog, QStringLiteral("cmdStart"));
    auto* stop = child<QPushButton>(*dialog, QStringLiteral("cmdStop"));
    auto* label = child<QLabel>(*dialog, QStringLiteral("lblProcess"));
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
    QCOMPARE(dialogs_->questions.size(), 1);
    QVERIFY(dialog->isVisible());
    QCOMPARE(shown[1], QStringLiteral("a_photograph_with_a_name_over_\n (2/4)"));
    QCOMPARE(startShown, QList<bool>(4, false));
    QCOMPARE(stopShown, QList<bool>(4, true));
    QVERIFY(start->isVisible() && start->isEnabled() && !stop->isVisible());
    QCOMPARE(label->text(), QStringLiteral("Completed: 3 converted, 0 skipped, 1 failed."));
    // The corrupt photo is named, after the run, in the user's words.
    QCOMPARE(dialogs_->messages.size(), 1);
    const QStringList lines = dialogs_->messages.front().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], label->text());
    QCOMPARE(lines[2], QStringLiteral("These photos could not be read:"));
    QCOMPARE(lines[3],
        QDir(in).filePath(QStringLiteral("c.jpg"))
            + QStringLiteral(": the file is cut short or is not a JPEG picture."));
    // The library's words, naming the file, not the library's function.
    QVERIFY2(lines[4].startsWith(QStringLiteral("    '") + QDir(in).filePath(QStringLiteral("c.jpg"))),
        qPrintable(lines[4]));

    const QDir out(dir_->filePath(QStringLiteral("out")));
    QCOMPARE(out.entryList(QDir::Files, QDir::Name),
        (QStringList{"a-kw.jpg", "a_photograph_with_a_name_over_thirty-kw.jpg", "b-kw.jpg"}));
    const int32_t written = RixLoadJPG(out.filePath(QStringLiteral("b-kw.jpg")).toUtf8().constData());
    QCOMPARE(RixWidth(written), 40);
    QCOMPARE(RixHeight(written), 30);
    (void)RixDestroy(written);

    // The run's images are gone and the program's own are untouched.
    QCOMPARE(SrcFile, std::string());
    QCOMPARE(DstFile, std::string());
    QCOMPARE(hSrc, 0);
    QCOMPARE(hDst, 0);
    QCOMPARE(SrcW, 0);
    QCOMPARE(liveImages(), 0);
}

void TestBatchDialog::runWritesBmpAndEmptyPostfix()
{
    writeImage(dir_->filePath(QStringLiteral("in/a.JPG")), 512, 512);
    DstW = 24;
    DstH = 24;
    DstPrm = {12, 12, 12, 0, 0, 0, 0};
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    dialog->cmdAddAll_Click();
    child<QComboBox>(*dialog, QStringLiteral("cmbF"))->setCurrentIndex(0);
    QVERIFY(runToTheEnd(*dialog));
    child<QLineEdit>(*dialog, QStringLiteral("txtpostfix"))->clear();
    QVERIFY(runToTheEnd(*dialog));

    const QDir out(dir_->filePath(QStringLiteral("out")));
    QCOMPARE(out.entryList(QDir::Files, QDir::Name), (QStringList{"a-kw.bmp", "a.bmp"}));
    QFile bmp(out.filePath(QStringLiteral("a-kw.bmp")));
    QVERIFY(bmp.open(QIODevice::ReadOnly));
    QCOMPARE(bmp.read(2), QByteArray("BM"));
    QVERIFY(dialogs_->messages.isEmpty());
    QCOMPARE(liveImages(), 0);
}

void TestBatchDialog::closingMessageListsEveryProblemOnce()
{
    const QString in = dir_->filePath(QStringLiteral("in"));
    const QString out = dir_->filePath(QStringLiteral("out"));
    writeImage(in + QStringLiteral("/a.jpg"), 512, 512);
    QVERIFY(QDir(out).mkpath(QStringLiteral("a-kw.jpg"))); // a folder where a's result goes
    writeBytes(in + QStringLiteral("/c.jpg"), "corrupt");
    const test::Disc disc{600, 450, 120}; // far from the start circle
    writeImage(in + QStringLiteral("/d.jpg"), 1200, 900, &disc);
    writeImage(in + QStringLiteral("/x.BMP"), 512, 512);
    writeImage(in + QStringLiteral("/x.JPG"), 512, 512);
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    dialog->cmdAddAll_Click();

    QVERIFY(runToTheEnd(*dialog));
    // Counted: x.BMP converted; x.JPG's result would replace it; the rest fail.
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblProcess"))->text(),
        QStringLiteral("Completed: 1 converted, 1 skipped, 3 failed."));
    QCOMPARE(dialogs_->messages.size(), 1);
    QCOMPARE(dialogs_->icons.front(), QMessageBox::Warning);
    const QString text = dialogs_->messages.front();
    // Each group once, in this order, each file with its path and reason.
    const QStringList expected{
        QStringLiteral("These photos could not be read:\n%1/c.jpg: the file is cut short or is not a JPEG picture.")
            .arg(in),
        QStringLiteral("These results were not written, to keep other files:\n"
                       "%1/x-kw.jpg: the result of x.JPG would replace that of x.BMP.")
            .arg(out),
        QStringLiteral("These results could not be written:\n%1/a-kw.jpg: a folder of this name is in the way.")
            .arg(out),
        QStringLiteral("These photos gave an entirely black result, which was not written:\n"
                       "%1/d.jpg: the circle does not lie on this photo.")
            .arg(in),
    };
    qsizetype from = 0;
    for (const QString& group : expected) {
        const qsizetype at = text.indexOf(group, from);
        QVERIFY2(at >= from, qPrintable(text));
        from = at + group.size();
    }
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{"x-kw.jpg"});
    QVERIFY(child<QPushButton>(*dialog, QStringLiteral("cmdStart"))->isEnabled());
}

void TestBatchDialog::findTheCircleInEachPhoto()
{
    const test::Disc disc{600, 450, 120};
    writeImage(dir_->filePath(QStringLiteral("in/d.bmp")), 1200, 900, &disc);
    const std::unique_ptr<BatchDialog> dialog = dialogOverInput();
    auto* find = child<QCheckBox>(*dialog, QStringLiteral("chkFindCircle"));
    QCOMPARE(find->text(), QStringLiteral("Find the circle in each photo"));
    QVERIFY(!find->isChecked());
    dialog->cmdAddAll_Click();

    find->setChecked(true);
    QVERIFY(runToTheEnd(*dialog));
    QVERIFY(dialogs_->messages.isEmpty());
    const int32_t written = RixLoadJPG(dir_->filePath(QStringLiteral("out/d-kw.jpg")).toUtf8().constData());
    QVERIFY(isImage(written));
    (void)RixDestroy(written);
    // Found for the run only: the dialog keeps its own circle.
    QCOMPARE(SrcPrm.Cx, 256.0);
    QCOMPARE(dialog->field(Field::SrcR)->text(), QStringLiteral("256.00"));
}

// ---- With the main window -------------------------------------------------

namespace {

// What the person sees of the open image, and the state behind it.
struct OpenImage {
    int32_t src, dst, srcW, srcH;
    std::string srcFile, dstFile;
    ProjectionRecord srcPrm;
    float refX, refY;
    QImage srcPicture, dstPicture, dstPixels;
    QString srcTitle, dstTitle, cxField;

    explicit OpenImage(ui::KarwenApp& app)
        : src(hSrc)
        , dst(hDst)
        , srcW(SrcW)
        , srcH(SrcH)
        , srcFile(SrcFile)
        , dstFile(DstFile)
        , srcPrm(SrcPrm)
        , refX(RefX)
        , refY(RefY)
    {
        views::SrcView* srcView = app.windows().srcIfLoaded();
        views::DstView* dstView = app.windows().dstIfLoaded();
        QVERIFY(srcView && dstView);
        srcPicture = srcView->canvas().copy();
        dstPicture = dstView->canvas().copy();
        dstPixels = pixelsOf(hDst);
        srcTitle = srcView->outerWindow()->windowTitle();
        dstTitle = dstView->outerWindow()->windowTitle();
        cxField = app.windows().frmFormat().field(Field::SrcCx)->text();
    }
};

} // namespace

void TestBatchDialog::openImageSurvivesABatch()
{
    ui::KarwenApp app;
    app.Main();
    const QString photo = dir_->filePath(QStringLiteral("open.bmp"));
    const test::Disc disc{150, 100, 90};
    writeImage(photo, 300, 200, &disc);
    dialogs_->files.push_back(photo);
    app.frmMain().item(QStringLiteral("mnuFileOpen"))->trigger();
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
    DstFile = dir_->filePath(QStringLiteral("saved.jpg")).toStdString();
    const OpenImage before(app);

    writeImage(dir_->filePath(QStringLiteral("in/big.jpg")), 600, 520);
    writeImage(dir_->filePath(QStringLiteral("in/small.bmp")), 520, 512);
    const auto convertAll = [&](const QString& width) {
        const CurrentFolder here(dir_->filePath(QStringLiteral("in")));
        BatchDialog dialog(&app.frmMain());
        QCOMPARE(SrcPrm.Cx, 256.0); // the dialog starts from its own circle
        child<QLineEdit>(dialog, QStringLiteral("txtFolderD"))->setText(dir_->filePath(QStringLiteral("out")));
        dialog.field(Field::DstWidth)->setText(width);
        dialog.Apply();
        dialog.cmdAddAll_Click();
        QVERIFY(runToTheEnd(dialog));
        QVERIFY(dialogs_->messages.isEmpty());
        dialog.cmdCancel_Click();
    };

    convertAll(QStringLiteral("512"));
    QCOMPARE(QDir(dir_->filePath(QStringLiteral("out"))).entryList(QDir::Files).size(), 2);
    const OpenImage after(app);
    QCOMPARE(after.src, before.src);
    QCOMPARE(after.dst, before.dst);
    QCOMPARE(after.srcW, before.srcW);
    QCOMPARE(after.srcH, before.srcH);
    QCOMPARE(after.srcFile, before.srcFile);
    QCOMPARE(after.dstFile, before.dstFile);
    QCOMPARE(std::memcmp(&after.srcPrm, &before.srcPrm, sizeof before.srcPrm), 0);
    QCOMPARE(after.refX, before.refX);
    QCOMPARE(after.refY, before.refY);
    QCOMPARE(after.srcPicture, before.srcPicture);
    QCOMPARE(after.dstPicture, before.dstPicture);
    QCOMPARE(after.dstPixels, before.dstPixels);
    QCOMPARE(after.srcTitle, before.srcTitle);
    QCOMPARE(after.dstTitle, before.dstTitle);
    QCOMPARE(after.cxField, before.cxField);
    QVERIFY(app.frmMain().item(QStringLiteral("mnuFileSave"))->isEnabled());

    // A new destination size from the dialog: the main window's result is
    // made again in that size from its own source side, shown at 100 %.
    app.windows().dstIfLoaded()->set_sc(0.5f);
    convertAll(QStringLiteral("200"));
    QCOMPARE(DstW, 200);
    QCOMPARE(hSrc, before.src);
    QCOMPARE(std::memcmp(&SrcPrm, &before.srcPrm, sizeof SrcPrm), 0);
    QCOMPARE(RixWidth(hDst), 200);
    const int32_t fresh = RixCreate(DstW, DstH);
    QVERIFY(convertImages(hSrc, fresh, SrcPrm, DstPrm, Interp));
    QCOMPARE(pixelsOf(hDst), pixelsOf(fresh));
    (void)RixDestroy(fresh);
    QCOMPARE(app.windows().dstIfLoaded()->viewScale(), 1.0f);
    QCOMPARE(app.windows().frmFormat().field(Field::DstWidth)->text(), QStringLiteral("200"));
    QCOMPARE(app.windows().frmFormat().field(Field::SrcCx)->text(), before.cxField);

    app.frmMain().item(QStringLiteral("mnuFileClose"))->trigger();
    QCOMPARE(liveImages(), 0);
    app.frmMain().close();
}

QTEST_MAIN(TestBatchDialog)
#include "tst_batch_dialog.moc"
