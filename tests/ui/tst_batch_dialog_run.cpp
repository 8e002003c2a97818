// The batch dialog while a run goes: the windows stay responsive, Stop and
// Exit end the run after the photo in hand and keep every result so far;
// what is refused before the first photo; the folder boxes' Enter; and the
// circle of the open photo taken into the fields.
#include "batch_dialog_support.h"
#include "mdl_karwen.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <condition_variable>
#include <memory>
#include <mutex>

using namespace karwen;
using namespace karwen::test;
using karwen::ui::BatchDialog;

namespace {

// Holds a run before one file until opened, so that a test can act while a
// run is certainly going. Opens itself when it goes, so that a failed test
// does not leave the run waiting.
class FileGate {
public:
    explicit FileGate(int at)
        : at_(at)
    {
    }
    ~FileGate() { open(); }
    FileGate(const FileGate&) = delete;
    FileGate& operator=(const FileGate&) = delete;

    void arrive(int index)
    {
        if (index != at_)
            return;
        std::unique_lock lock(mutex_);
        reached_ = true;
        wake_.wait(lock, [this] { return open_; });
    }
    [[nodiscard]] bool reached()
    {
        const std::lock_guard lock(mutex_);
        return reached_;
    }
    void open()
    {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        wake_.notify_all();
    }
    ui::BatchDialogRun::FileGate hook()
    {
        return [this](int index) { arrive(index); };
    }

private:
    const int at_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool reached_ = false;
    bool open_ = false;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestBatchDialogRun : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowsRespondAndStopKeepsTheResultsSoFar();
    void exitDuringARunAsksAndClosesAfterThePhotoInHand();
    void nearlyBlackResultsAreListed();
    void unwritableFolderIsRefusedBeforeTheFirstPhoto();
    void enterInAFolderBoxListsIt();
    void circleOfTheOpenPhoto();

private:
    // A dialog over `count` photos in dir_/in, all selected, results to dir_/out.
    std::unique_ptr<BatchDialog> dialogOverPhotos(int count);
    [[nodiscard]] QString in() const { return dir_->filePath(QStringLiteral("in")); }
    [[nodiscard]] QString out() const { return dir_->filePath(QStringLiteral("out")); }
    [[nodiscard]] QStringList written() const { return QDir(out()).entryList(QDir::Files, QDir::Name); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<BatchDialogs> dialogs_;
};

void TestBatchDialogRun::init()
{
    initGlobals();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("in")));
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("out")));
    dialogs_ = std::make_unique<BatchDialogs>();
    DstW = DstH = 32;
    DstPrm = {16, 16, 16, 0, 0, 0, 0};
}

void TestBatchDialogRun::cleanup()
{
    (void)RixDestroy(hSrc);
    hSrc = 0;
    dialogs_.reset();
    dir_.reset();
}

std::unique_ptr<BatchDialog> TestBatchDialogRun::dialogOverPhotos(int count)
{
    // Large enough for the start circle (256, 256, radius 256).
    for (int i = 0; i < count; ++i)
        writeImage(in() + QStringLiteral("/p%1.bmp").arg(i, 3, 10, QLatin1Char('0')), 300, 300);
    const CurrentFolder here(in());
    auto dialog = std::make_unique<BatchDialog>();
    child<QLineEdit>(*dialog, QStringLiteral("txtFolderD"))->setText(out());
    dialog->cmdAddAll_Click();
    return dialog;
}

void TestBatchDialogRun::windowsRespondAndStopKeepsTheResultsSoFar()
{
    const std::unique_ptr<BatchDialog> dialog = dialogOverPhotos(40);
    FileGate gate(3);
    dialog->setFileGate(gate.hook());
    dialog->show();
    auto* progress = child<QProgressBar>(*dialog, QStringLiteral("progress"));
    PaintCounter painted;
    progress->installEventFilter(&painted);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(10);

    QSignalSpy finished(dialog.get(), &BatchDialog::runFinished);
    child<QPushButton>(*dialog, QStringLiteral("cmdStart"))->click();
    QVERIFY(dialog->isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(gate.reached(), 60000);

    // The fourth photo is in hand: the event loop turns, the bar follows.
    QTRY_COMPARE_WITH_TIMEOUT(progress->value(), 3, 60000);
    QCOMPARE(progress->maximum(), 40);
    QVERIFY2(progress->format().startsWith(QStringLiteral("3 of 40 files, about ")), qPrintable(progress->format()));
    QVERIFY(progress->format().endsWith(QStringLiteral(" left")));
    const int ticksBefore = ticks;
    const int paintsBefore = painted.paints;
    QTRY_VERIFY_WITH_TIMEOUT(ticks > ticksBefore + 2, 60000);
    progress->update();
    QTRY_VERIFY_WITH_TIMEOUT(painted.paints > paintsBefore, 60000);
    QVERIFY(dialog->isRunning());
    QCOMPARE(finished.count(), 0);

    auto* stop = child<QPushButton>(*dialog, QStringLiteral("cmdStop"));
    QVERIFY(stop->isVisible() && stop->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    QVERIFY(!stop->isEnabled());
    gate.open();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);

    // The photo in hand was finished; nothing after it was started.
    QCOMPARE(written(), (QStringList{"p000-kw.jpg", "p001-kw.jpg", "p002-kw.jpg", "p003-kw.jpg"}));
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblProcess"))->text(),
        QStringLiteral("Stopped after 4 of 40 files: 4 converted, 0 skipped, 0 failed."));
    QCOMPARE(progress->value(), 4);
    QCOMPARE(progress->format(), QStringLiteral("4 of 40 files"));
    QVERIFY(dialogs_->messages.isEmpty());
    QVERIFY(!dialog->isRunning());
    QVERIFY(child<QPushButton>(*dialog, QStringLiteral("cmdStart"))->isEnabled());
}

void TestBatchDialogRun::exitDuringARunAsksAndClosesAfterThePhotoInHand()
{
    const ProjectionRecord mainSource = SrcPrm = {400, 300, 280, 0, 0, 0, 1};
    const std::unique_ptr<BatchDialog> dialog = dialogOverPhotos(6);
    FileGate gate(1);
    dialog->setFileGate(gate.hook());
    dialog->show();
    dialog->cmdStart_Click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.reached(), 60000);

    // No: the run goes on.
    dialogs_->answers = {false, true};
    child<QPushButton>(*dialog, QStringLiteral("cmdCancel"))->click();
    QCOMPARE(
        dialogs_->questions, QStringList{"A batch is running. Stop it once the photo in hand is done, and close?"});
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isRunning());

    // Yes: the dialog stays until the photo in hand is done, then closes.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QCOMPARE(dialogs_->questions.size(), 2);
    QVERIFY(dialog->isVisible());
    gate.open();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 60000);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(written(), (QStringList{"p000-kw.jpg", "p001-kw.jpg"}));
    QCOMPARE(std::memcmp(&SrcPrm, &mainSource, sizeof SrcPrm), 0);
}

void TestBatchDialogRun::nearlyBlackResultsAreListed()
{
    // Levels 13 (the dim result of the report) and 16 are nearly black;
    // 17 is not. BMP results keep the levels exactly.
    writeImage(in() + QStringLiteral("/dim.bmp"), 512, 512, nullptr, test::packRgb(13, 13, 13));
    writeImage(in() + QStringLiteral("/edge.bmp"), 512, 512, nullptr, test::packRgb(16, 0, 16));
    writeImage(in() + QStringLiteral("/lit.bmp"), 512, 512, nullptr, test::packRgb(0, 17, 0));
    Interp = 0;
    const CurrentFolder here(in());
    BatchDialog dialog;
    child<QLineEdit>(dialog, QStringLiteral("txtFolderD"))->setText(out());
    child<QComboBox>(dialog, QStringLiteral("cmbF"))->setCurrentIndex(0);
    dialog.cmdAddAll_Click();
    QVERIFY(runToTheEnd(dialog));

    QCOMPARE(written(), (QStringList{"dim-kw.bmp", "edge-kw.bmp", "lit-kw.bmp"}));
    QCOMPARE(dialogs_->messages.size(), 1);
    QCOMPARE(dialogs_->icons.front(), QMessageBox::Warning);
    QCOMPARE(dialogs_->messages.front(),
        QStringLiteral("Completed: 3 converted, 0 skipped, 0 failed.\n\n"
                       "These results were written, though no pixel in them is brighter than 16 of 255:\n"
                       "%1/dim-kw.bmp: nearly black.\n%1/edge-kw.bmp: nearly black.")
            .arg(out()));
}

void TestBatchDialogRun::unwritableFolderIsRefusedBeforeTheFirstPhoto()
{
    const std::unique_ptr<BatchDialog> dialog = dialogOverPhotos(3);
    QSignalSpy progress(dialog.get(), &BatchDialog::progressShown);
    auto* folderD = child<QLineEdit>(*dialog, QStringLiteral("txtFolderD"));
    const QString missing = dir_->filePath(QStringLiteral("missing"));
    const QString photo = in() + QStringLiteral("/p000.bmp");

    folderD->setText(missing);
    dialog->cmdStart_Click();
    folderD->setText(photo);
    dialog->cmdStart_Click();
    // Enter in the box tries it as Start does.
    QTest::keyClick(folderD, Qt::Key_Return);

    QCOMPARE(dialogs_->messages,
        (QStringList{
            QStringLiteral("Cannot write the results into the folder \"%1\": there is no such folder.").arg(missing),
            QStringLiteral("Cannot write the results into the folder \"%1\": this is a file, not a "
                           "folder.")
                .arg(photo),
            QStringLiteral("Cannot write the results into the folder \"%1\": this is a file, not a "
                           "folder.")
                .arg(photo)}));
    QCOMPARE(dialogs_->icons, QList<QMessageBox::Icon>(3, QMessageBox::Warning));
    QVERIFY(!dialog->isRunning());
    QCOMPARE(progress.count(), 0);
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblProcess"))->text(), QStringLiteral("Select Files."));
    QVERIFY(!QDir(missing).exists());
}

void TestBatchDialogRun::enterInAFolderBoxListsIt()
{
    const std::unique_ptr<BatchDialog> dialog = dialogOverPhotos(2);
    const QString other = dir_->filePath(QStringLiteral("other"));
    QVERIFY(QDir().mkpath(other));
    writeBytes(other + QStringLiteral("/y.jpg"), "x");
    writeBytes(other + QStringLiteral("/x.BMP"), "x");
    writeBytes(other + QStringLiteral("/notes.txt"), "x");
    auto* folderS = child<QLineEdit>(*dialog, QStringLiteral("txtFolderS"));

    folderS->setText(other);
    QTest::keyClick(folderS, Qt::Key_Return);
    QCOMPARE(texts(child<QListWidget>(*dialog, QStringLiteral("lstS"))), (QStringList{"x.BMP", "y.jpg"}));
    QCOMPARE(child<QListWidget>(*dialog, QStringLiteral("lstD"))->count(), 0);
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblAll"))->text(), QStringLiteral("2"));
    QCOMPARE(child<QLabel>(*dialog, QStringLiteral("lblSelected"))->text(), QStringLiteral("0"));

    // A folder that is not there is said to be so.
    folderS->setText(dir_->filePath(QStringLiteral("nowhere")));
    QTest::keyClick(folderS, Qt::Key_Enter);
    QCOMPARE(dialogs_->messages.size(), 1);
    QVERIFY(dialogs_->messages.front().contains(QStringLiteral("nowhere")));
    QCOMPARE(child<QListWidget>(*dialog, QStringLiteral("lstS"))->count(), 0);
}

void TestBatchDialogRun::circleOfTheOpenPhoto()
{
    // No photo open: nothing to take.
    {
        const CurrentFolder here(in());
        BatchDialog dialog;
        QVERIFY(!child<QPushButton>(dialog, QStringLiteral("cmdUseOpenCircle"))->isEnabled());
    }

    // A photo open with a circle fitted in the window.
    hSrc = RixCreate(640, 480);
    const ProjectionRecord fitted = SrcPrm = {321.5, 240.25, 230.75, 12, 30, 5, 1};
    const CurrentFolder here(in());
    BatchDialog dialog;
    auto* use = child<QPushButton>(dialog, QStringLiteral("cmdUseOpenCircle"));
    QCOMPARE(use->text(), QStringLiteral("Use the circle of the open photo"));
    QVERIFY(use->isEnabled());
    // The dialog still loads its own circle.
    QCOMPARE(dialog.field(Field::SrcCx)->text(), QStringLiteral("256.00"));
    QCOMPARE(dialog.field(Field::SrcR)->text(), QStringLiteral("256.00"));

    use->click();
    QCOMPARE(dialog.field(Field::SrcCx)->text(), QStringLiteral("321.50"));
    QCOMPARE(dialog.field(Field::SrcCy)->text(), QStringLiteral("240.25"));
    QCOMPARE(dialog.field(Field::SrcR)->text(), QStringLiteral("230.75"));
    QCOMPARE(SrcPrm.Cx, 321.5);
    QCOMPARE(SrcPrm.R, 230.75);
    // The dialog's own view direction (straight up) and projection stay:
    // the view point is the new centre.
    QCOMPARE(SrcPrm.Alpha, 0.0);
    QCOMPARE(SrcPrm.Proj, 2);
    QCOMPARE(dialog.field(Field::RefPointX)->text(), QStringLiteral("321.50"));
    QCOMPARE(dialog.field(Field::RefPointY)->text(), QStringLiteral("240.25"));

    dialog.reject();
    QCOMPARE(std::memcmp(&SrcPrm, &fitted, sizeof SrcPrm), 0);
}

QTEST_MAIN(TestBatchDialogRun)
#include "tst_batch_dialog_run.moc"
