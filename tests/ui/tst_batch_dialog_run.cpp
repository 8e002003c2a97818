// The batch dialog while a run goes: the windows stay responsive, Stop and
// Exit end the run after the photo in hand and keep every result so far;
// what is refused before the first photo; the folder boxes' Enter; and the
// circle of the open photo taken into the fields.
#include "batch_dialog_support.h"

#include <condition_variable>
#include <mutex>

using namespace karwen;
using namespace Qt::StringLiterals;
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

    std::unique_ptr<BatchFolders> f_;
    QStringList& messages() { return f_->dialogs.messages; }

    // A dialog over `count` photos in in/, all selected, results to out/.
    std::unique_ptr<BatchDialog> dialogOverPhotos(int count)
    {
        // Large enough for the start circle (256, 256, radius 256).
        for (int i = 0; i < count; ++i)
            writeImage(f_->in(u"p%1.bmp"_s.arg(i, 3, 10, QLatin1Char('0'))), 300, 300);
        auto dialog = f_->dialog();
        dialog->cmdAddAll_Click();
        return dialog;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<BatchFolders>();
        DstW = DstH = 32;
        DstPrm = {16, 16, 16, 0, 0, 0, 0};
    }
    void cleanup() { f_.reset(); }

    void windowsRespondAndStopKeepsTheResultsSoFar()
    {
        const auto dialog = dialogOverPhotos(40);
        FileGate gate(3);
        dialog->setFileGate(gate.hook());
        dialog->show();
        auto* progress = child<QProgressBar>(*dialog, u"progress"_s);
        PaintCounter painted;
        progress->installEventFilter(&painted);
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start(10);

        QSignalSpy finished(dialog.get(), &BatchDialog::runFinished);
        child<QPushButton>(*dialog, u"cmdStart"_s)->click();
        QVERIFY(dialog->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(gate.reached(), 60000);

        // The fourth photo is in hand: the event loop turns, the bar follows.
        QTRY_COMPARE_WITH_TIMEOUT(progress->value(), 3, 60000);
        QCOMPARE(progress->maximum(), 40);
        QVERIFY2(progress->format().startsWith(u"3 of 40 files, about "_s), qPrintable(progress->format()));
        QVERIFY(progress->format().endsWith(u" left"_s));
        const int ticksBefore = ticks;
        const int paintsBefore = painted.paints;
        QTRY_VERIFY_WITH_TIMEOUT(ticks > ticksBefore + 2, 60000);
        progress->update();
        QTRY_VERIFY_WITH_TIMEOUT(painted.paints > paintsBefore, 60000);
        QVERIFY(dialog->isRunning());
        QCOMPARE(finished.count(), 0);

        auto* stop = child<QPushButton>(*dialog, u"cmdStop"_s);
        QVERIFY(stop->isVisible() && stop->isEnabled());
        QTest::mouseClick(stop, Qt::LeftButton);
        QVERIFY(!stop->isEnabled());
        gate.open();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);

        // The photo in hand was finished; nothing after it was started.
        QCOMPARE(f_->written(), (QStringList{"p000-kw.jpg", "p001-kw.jpg", "p002-kw.jpg", "p003-kw.jpg"}));
        QCOMPARE(child<QLabel>(*dialog, u"lblProcess"_s)->text(),
            u"Stopped after 4 of 40 files: 4 converted, 0 skipped, 0 failed."_s);
        QCOMPARE(progress->value(), 4);
        QCOMPARE(progress->format(), u"4 of 40 files"_s);
        QVERIFY(messages().isEmpty());
        QVERIFY(!dialog->isRunning());
        QVERIFY(child<QPushButton>(*dialog, u"cmdStart"_s)->isEnabled());
    }

    void exitDuringARunAsksAndClosesAfterThePhotoInHand()
    {
        const ProjectionRecord mainSource = SrcPrm = {400, 300, 280, 0, 0, 0, 1};
        const auto dialog = dialogOverPhotos(6);
        FileGate gate(1);
        dialog->setFileGate(gate.hook());
        dialog->show();
        dialog->cmdStart_Click();
        QTRY_VERIFY_WITH_TIMEOUT(gate.reached(), 60000);

        // No: the run goes on.
        f_->dialogs.answers = {false, true};
        child<QPushButton>(*dialog, u"cmdCancel"_s)->click();
        QCOMPARE(f_->dialogs.questions,
            QStringList{"A batch is running. Stop it once the photo in hand is done, and close?"});
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isRunning());

        // Yes: the dialog stays until the photo in hand is done, then closes.
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QCOMPARE(f_->dialogs.questions.size(), 2);
        QVERIFY(dialog->isVisible());
        gate.open();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 60000);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(f_->written(), (QStringList{"p000-kw.jpg", "p001-kw.jpg"}));
        QVERIFY(sameBits(SrcPrm, mainSource));
    }

    void nearlyBlackResultsAreListed()
    {
        // Levels 13 (the dim result of the report) and 16 are nearly black;
        // 17 is not. BMP results keep the levels exactly.
        writeImage(f_->in(u"dim.bmp"_s), 512, 512, nullptr, karwen::test::packRgb(13, 13, 13));
        writeImage(f_->in(u"edge.bmp"_s), 512, 512, nullptr, karwen::test::packRgb(16, 0, 16));
        writeImage(f_->in(u"lit.bmp"_s), 512, 512, nullptr, karwen::test::packRgb(0, 17, 0));
        Interp = 0;
        const auto dialog = f_->dialog();
        child<QComboBox>(*dialog, u"cmbF"_s)->setCurrentIndex(0);
        dialog->cmdAddAll_Click();
        QVERIFY(runToTheEnd(*dialog));

        QCOMPARE(f_->written(), (QStringList{"dim-kw.bmp", "edge-kw.bmp", "lit-kw.bmp"}));
        QCOMPARE(f_->dialogs.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QCOMPARE(messages(),
            QStringList{u"Completed: 3 converted, 0 skipped, 0 failed.\n\n"
                        "These results were written, though no pixel in them is brighter than 16 of "
                        "255:\n%1/dim-kw.bmp: nearly black.\n%1/edge-kw.bmp: nearly black."_s.arg(f_->out())});
    }

    void unwritableFolderIsRefusedBeforeTheFirstPhoto()
    {
        const auto dialog = dialogOverPhotos(3);
        QSignalSpy progress(dialog.get(), &BatchDialog::progressShown);
        auto* folderD = child<QLineEdit>(*dialog, u"txtFolderD"_s);
        const QString missing = f_->path(u"missing"_s);
        const QString photo = f_->in(u"p000.bmp"_s);

        folderD->setText(missing);
        dialog->cmdStart_Click();
        folderD->setText(photo);
        dialog->cmdStart_Click();
        // Enter in the box tries it as Start does.
        QTest::keyClick(folderD, Qt::Key_Return);

        // A missing folder is offered to be made; declined, nothing runs.
        QCOMPARE(f_->dialogs.questions, QStringList{u"The folder \"%1\" does not exist. Create it?"_s.arg(missing)});
        const QString refused = u"Cannot write the results into the folder \"%1\": %2"_s;
        QCOMPARE(messages(),
            (QStringList{refused.arg(photo, u"this is a file, not a folder."_s),
                refused.arg(photo, u"this is a file, not a folder."_s)}));
        QCOMPARE(f_->dialogs.icons, QList<QMessageBox::Icon>(2, QMessageBox::Warning));
        QVERIFY(!dialog->isRunning());
        QCOMPARE(progress.count(), 0);
        QCOMPARE(child<QLabel>(*dialog, u"lblProcess"_s)->text(), u"Select Files."_s);
        QVERIFY(!QDir(missing).exists());
    }

    void aMissingFolderIsMadeWhenTheUserSaysYes()
    {
        const auto dialog = dialogOverPhotos(2);
        const QString missing = f_->path(u"new/results"_s);
        child<QLineEdit>(*dialog, u"txtFolderD"_s)->setText(missing);
        f_->dialogs.answers = {true};
        dialog->cmdStart_Click();
        QVERIFY(QDir(missing).exists());
        QVERIFY(dialog->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), 60000);
        QCOMPARE(QDir(missing).entryList(QDir::Files).size(), 2);
    }

    void enterInAFolderBoxListsIt()
    {
        const auto dialog = dialogOverPhotos(2);
        const QString other = f_->path(u"other"_s);
        QVERIFY(QDir().mkpath(other));
        for (const char* name : {"y.jpg", "x.BMP", "notes.txt"})
            writeBytes(other + QLatin1Char('/') + QLatin1String(name), "x");
        auto* folderS = child<QLineEdit>(*dialog, u"txtFolderS"_s);
        auto* lstS = child<QListWidget>(*dialog, u"lstS"_s);

        folderS->setText(other);
        QTest::keyClick(folderS, Qt::Key_Return);
        QCOMPARE(texts(lstS), (QStringList{"x.BMP", "y.jpg"}));
        QCOMPARE(child<QListWidget>(*dialog, u"lstD"_s)->count(), 0);
        QCOMPARE(child<QLabel>(*dialog, u"lblAll"_s)->text(), u"2"_s);
        QCOMPARE(child<QLabel>(*dialog, u"lblSelected"_s)->text(), u"0"_s);

        // A folder that is not there is said to be so.
        folderS->setText(f_->path(u"nowhere"_s));
        QTest::keyClick(folderS, Qt::Key_Enter);
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages().front().contains(u"nowhere"_s));
        QCOMPARE(lstS->count(), 0);
    }

    void circleOfTheOpenPhoto()
    {
        // No photo open: nothing to take.
        QVERIFY(!child<QPushButton>(*f_->dialog(), u"cmdUseOpenCircle"_s)->isEnabled());

        // A photo open with a circle fitted in the window.
        hSrc = RixCreate(640, 480);
        const ProjectionRecord fitted = SrcPrm = {321.5, 240.25, 230.75, 12, 30, 5, 1};
        const auto dialog = f_->dialog();
        auto* use = child<QPushButton>(*dialog, u"cmdUseOpenCircle"_s);
        QCOMPARE(use->text(), u"Use the circle of the open photo"_s);
        QVERIFY(use->isEnabled());
        const auto fields = [&] {
            QStringList shown;
            for (Field field : {Field::SrcCx, Field::SrcCy, Field::SrcR, Field::RefPointX, Field::RefPointY})
                shown << dialog->field(field)->text();
            return shown;
        };
        // The dialog still loads its own circle.
        QCOMPARE(fields(), (QStringList{"256.00", "256.00", "256.00", "256.00", "256.00"}));

        use->click();
        // The dialog's own view direction (straight up) and projection stay:
        // the view point is the new centre.
        QCOMPARE(fields(), (QStringList{"321.50", "240.25", "230.75", "321.50", "240.25"}));
        QVERIFY(sameBits(SrcPrm, ProjectionRecord{321.5, 240.25, 230.75, 0, 0, 0, 2}));

        dialog->reject();
        QVERIFY(sameBits(SrcPrm, fitted));
    }

    // A circle fitted through a lens is that lens's: the lens comes with it.
    void circleOfTheOpenPhotoBringsItsLens()
    {
        hSrc = RixCreate(640, 480);
        const NamedLens lens = builtInLenses().front();
        SrcPrm = {321.5, 240.25, 230.75, 0, 0, 0, RixLensSource};
        SrcLens = lens;
        const auto dialog = f_->dialog();
        QCOMPARE(SrcPrm.Proj, kEquidistant); // the dialog loads its own projection
        child<QPushButton>(*dialog, u"cmdUseOpenCircle"_s)->click();
        QCOMPARE(SrcPrm.Proj, RixLensSource);
        QVERIFY(SrcLens && SrcLens->name == lens.name);
        QCOMPARE(SrcPrm.R, 230.75);
        dialog->reject();
        QCOMPARE(SrcPrm.Proj, RixLensSource);
    }
};

QTEST_MAIN(TestBatchDialogRun)
#include "tst_batch_dialog_run.moc"
