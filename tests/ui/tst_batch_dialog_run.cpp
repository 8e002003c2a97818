// The batch dialog while a run goes: the windows stay responsive, Stop and
// Exit end the run after the photo in hand and keep every result so far;
// what is refused before the first photo; results already there kept or
// replaced, and the folder's settings record shared with karwen-cli; and
// the circle of the open photo taken into the fields.
#include "batch_dialog_support.h"

#include <filesystem>

using namespace karwen;
using namespace Qt::StringLiterals;
using namespace karwen::test;
using karwen::ui::BatchDialog;

namespace {

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

// A file's bytes and time of change: whether it was left alone.
struct FileState {
    QByteArray bytes;
    std::filesystem::file_time_type changed;
    bool operator==(const FileState& other) const { return bytes == other.bytes && changed == other.changed; }
};

// Every file of a folder, the hidden settings record included.
QMap<QString, FileState> statesOf(const QString& folder)
{
    QMap<QString, FileState> states;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        const QString path = folder + QLatin1Char('/') + name;
        states.insert(name, {readFile(path), std::filesystem::last_write_time(path.toStdString())});
    }
    return states;
}

// karwen-cli convert with the settings the tests give the dialog (its start
// circle, a 32 x 32 orthographic result, nearest, JPEG 75): its exit code.
int convertLikeTheDialog(const QString& output, const QStringList& more)
{
    return runCli(QStringList{"convert", "-q", "-o", output, "--src-projection", "equidistant", "--circle",
                      "256,256,256", "--dst-projection", "orthographic", "--size", "32x32", "--dst-circle", "16,16,16"}
        + more);
}

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

    void startAfterStopConvertsOnlyWhatIsMissing()
    {
        const auto dialog = dialogOverPhotos(5);
        FileGate gate(2);
        dialog->setFileGate(gate.hook());
        QSignalSpy finished(dialog.get(), &BatchDialog::runFinished);
        dialog->cmdStart_Click();
        QTRY_VERIFY_WITH_TIMEOUT(gate.reached(), 60000);
        dialog->cmdStop_Click();
        gate.open();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
        QCOMPARE(f_->written(), (QStringList{"p000-kw.jpg", "p001-kw.jpg", "p002-kw.jpg"}));

        // Results there are kept untouched by the run (tests/batch); here the
        // window counts them as skipped.
        dialog->setFileGate({});
        QVERIFY(runToTheEnd(*dialog));
        auto* label = child<QLabel>(*dialog, u"lblProcess"_s);
        QCOMPARE(label->text(), u"Completed: 2 converted, 3 skipped, 0 failed."_s);
        QCOMPARE(child<QProgressBar>(*dialog, u"progress"_s)->format(), u"5 of 5 files (3 skipped)"_s);
        QCOMPARE(f_->written().size(), 5);
        QVERIFY(messages().isEmpty());
        QVERIFY(runToTheEnd(*dialog));
        QCOMPARE(label->text(), u"Completed: 0 converted, 5 skipped, 0 failed."_s);
    }

    void otherSettingsStopTheRunUntilReplaceIsTicked()
    {
        const auto dialog = dialogOverPhotos(3);
        writeBytes(f_->out() + u"/p002-kw.jpg"_s, "notes, not a result");
        QVERIFY(runToTheEnd(*dialog));
        auto* label = child<QLabel>(*dialog, u"lblProcess"_s);
        QCOMPARE(label->text(), u"Completed: 2 converted, 0 skipped, 1 failed."_s);
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().front().contains(u"%1/p002-kw.jpg: a file of this name that is no BMP or JPEG picture "
                                             "is in the way; it is left alone."_s.arg(f_->out())),
            qPrintable(messages().front()));
        messages().clear();
        const QMap<QString, FileState> before = statesOf(f_->out());
        QVERIFY(before.contains(u".karwen-convert"_s));

        // Other settings over those results: nothing runs, nothing changes.
        dialog->field(Field::DstWidth)->setText(u"40"_s);
        dialog->Apply();
        QSignalSpy progress(dialog.get(), &BatchDialog::progressShown);
        dialog->cmdStart_Click();
        QVERIFY(!dialog->isRunning());
        QCOMPARE(messages(),
            QStringList{u"The results in the folder \"%1\" were made with other settings (--size 40x32 here, "
                        "32x32 there). Tick \"Replace results that exist\" to replace them, or choose another "
                        "folder."_s.arg(f_->out())});
        QCOMPARE(f_->dialogs.icons.back(), QMessageBox::Warning);
        QCOMPARE(progress.count(), 0);
        QCOMPARE(label->text(), u"Completed: 2 converted, 0 skipped, 1 failed."_s);
        QVERIFY(statesOf(f_->out()) == before);
        messages().clear();

        // Ticked: the results are replaced and the record follows (what is
        // replaced and what stays is tests/batch's).
        auto* replace = child<QCheckBox>(*dialog, u"chkReplace"_s);
        QCOMPARE(replace->text(), u"Replace results that exist"_s);
        QVERIFY(!replace->isChecked());
        replace->setChecked(true);
        QVERIFY(runToTheEnd(*dialog));
        QCOMPARE(label->text(), u"Completed: 2 converted, 0 skipped, 1 failed."_s);
        const QMap<QString, FileState> after = statesOf(f_->out());
        QVERIFY(!(after.value(u"p000-kw.jpg"_s) == before.value(u"p000-kw.jpg"_s)));
        QVERIFY(after.value(u".karwen-convert"_s).bytes.contains("\n--size 40x32\n"));
        // "Scaled decoding", ticked from the start, as convert's --decode auto.
        QVERIFY(child<QCheckBox>(*dialog, u"chkDecodeScaled"_s)->isChecked());
        QVERIFY(after.value(u".karwen-convert"_s).bytes.contains("\n--decode auto\n"));
    }

    // A folder begun by the window is continued by the command line, and
    // the other way round; each refuses the other's results made otherwise.
    void theCommandLineAndTheWindowContinueEachOthersFolders()
    {
        const auto dialog = dialogOverPhotos(4);
        auto* lstD = child<QListWidget>(*dialog, u"lstD"_s);
        selectRows(lstD, {2, 3});
        dialog->cmdRemove_Click();
        QVERIFY(runToTheEnd(*dialog));
        const QMap<QString, FileState> window = statesOf(f_->out());
        QCOMPARE(window.size(), 3);

        QCOMPARE(convertLikeTheDialog(f_->out(), {f_->in()}), 0);
        QCOMPARE(f_->written().size(), 4);
        const QMap<QString, FileState> continued = statesOf(f_->out());
        for (auto it = window.begin(); it != window.end(); ++it)
            QVERIFY2(continued.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(convertLikeTheDialog(f_->out(), {"--size", "40x32", f_->in()}), 2);
        QVERIFY(statesOf(f_->out()) == continued);

        const QString begun = f_->path(u"begun"_s);
        QCOMPARE(convertLikeTheDialog(begun, {f_->in(u"p001.bmp"_s)}), 0);
        const QMap<QString, FileState> cli = statesOf(begun);
        QCOMPARE(cli.size(), 2);
        child<QLineEdit>(*dialog, u"txtFolderD"_s)->setText(begun);
        dialog->cmdAddAll_Click();
        QVERIFY(runToTheEnd(*dialog));
        QCOMPARE(child<QLabel>(*dialog, u"lblProcess"_s)->text(), u"Completed: 3 converted, 1 skipped, 0 failed."_s);
        const QMap<QString, FileState> both = statesOf(begun);
        QCOMPARE(both.size(), 5);
        for (auto it = cli.begin(); it != cli.end(); ++it)
            QVERIFY2(both.value(it.key()) == it.value(), qPrintable(it.key()));

        // The window refuses the command line's record of other settings.
        dialog->field(Field::DstHeight)->setText(u"40"_s);
        dialog->Apply();
        dialog->cmdStart_Click();
        QVERIFY(!dialog->isRunning());
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().front().contains(u"(--size 32x40 here, 32x32 there)"_s), qPrintable(messages().front()));
        QVERIFY(statesOf(begun) == both);
    }

    void nearlyBlackResultsAreListed()
    {
        // Which levels are nearly black is the batch suite's; here the window
        // shows its list after the summary.
        writeImage(f_->in(u"edge.bmp"_s), 512, 512, nullptr, karwen::test::packRgb(16, 0, 16));
        Interp = 0;
        const auto dialog = f_->dialog();
        child<QComboBox>(*dialog, u"cmbF"_s)->setCurrentIndex(0);
        dialog->cmdAddAll_Click();
        QVERIFY(runToTheEnd(*dialog));

        QCOMPARE(f_->written(), QStringList{"edge-kw.bmp"});
        QCOMPARE(f_->dialogs.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QCOMPARE(messages(),
            QStringList{u"Completed: 1 converted, 0 skipped, 0 failed.\n\n"
                        "These results were written, though no pixel in them is brighter than 16 of "
                        "255:\n%1/edge-kw.bmp: nearly black."_s.arg(f_->out())});
    }

    void unwritableFolderIsRefusedBeforeTheFirstPhoto()
    {
        const auto dialog = dialogOverPhotos(3);
        QSignalSpy progress(dialog.get(), &BatchDialog::progressShown);
        auto* folderD = child<QLineEdit>(*dialog, u"txtFolderD"_s);
        const QString missing = f_->path(u"new/results"_s);
        const QString photo = f_->in(u"p000.bmp"_s);

        folderD->setText(missing);
        f_->dialogs.answers = {false};
        dialog->cmdStart_Click();
        folderD->setText(photo);
        dialog->cmdStart_Click();
        // Enter in the box tries it as Start does.
        QTest::keyClick(folderD, Qt::Key_Return);

        // A missing folder is offered to be made; declined, nothing runs.
        QCOMPARE(f_->dialogs.questions, QStringList{u"The folder \"%1\" does not exist. Create it?"_s.arg(missing)});
        const QString refused = u"Cannot write the results into the folder \"%1\": this is a file, not a folder."_s;
        QCOMPARE(messages(), QStringList(2, refused.arg(photo)));
        QCOMPARE(f_->dialogs.icons, QList<QMessageBox::Icon>(2, QMessageBox::Warning));
        QVERIFY(!dialog->isRunning());
        QCOMPARE(progress.count(), 0);
        QCOMPARE(child<QLabel>(*dialog, u"lblProcess"_s)->text(), u"Select Files."_s);
        QVERIFY(!QDir(missing).exists());

        // Yes makes it, and the run goes there.
        folderD->setText(missing);
        f_->dialogs.answers = {true};
        dialog->cmdStart_Click();
        QVERIFY(QDir(missing).exists());
        QVERIFY(dialog->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), 60000);
        QCOMPARE(QDir(missing).entryList(QDir::Files).size(), 3);
    }

    // The circle of the open photo: its centre and radius, or a circle fitted
    // through a lens with that lens.
    void circleOfTheOpenPhoto()
    {
        // No photo open: nothing to take.
        QVERIFY(!child<QPushButton>(*f_->dialog(), u"cmdUseOpenCircle"_s)->isEnabled());

        // A photo open with a circle fitted in the window.
        hSrc = RixCreate(640, 480);
        const ProjectionRecord fitted = SrcPrm = {321.5, 240.25, 230.75, 12, 30, 5, 1};
        auto dialog = f_->dialog();
        auto* use = child<QPushButton>(*dialog, u"cmdUseOpenCircle"_s);
        QCOMPARE(use->text(), u"Use the circle of the open photo"_s);
        const auto fields = [&] {
            QStringList shown;
            for (Field field : {Field::SrcCx, Field::SrcCy, Field::SrcR, Field::RefPointX, Field::RefPointY})
                shown << dialog->field(field)->text();
            return shown;
        };
        // The dialog still loads its own circle.
        QCOMPARE(fields(), QStringList(5, u"256.00"_s));
        use->click();
        // The dialog's own view direction (straight up) and projection stay:
        // the view point is the new centre.
        QCOMPARE(fields(), (QStringList{"321.50", "240.25", "230.75", "321.50", "240.25"}));
        QVERIFY(sameBits(SrcPrm, ProjectionRecord{321.5, 240.25, 230.75, 0, 0, 0, 2}));
        dialog->reject();
        QVERIFY(sameBits(SrcPrm, fitted));

        // A circle fitted through a lens is that lens's: the lens comes with it.
        const NamedLens lens = builtInLenses().front();
        SrcPrm = {321.5, 240.25, 230.75, 0, 0, 0, RixLensSource};
        SrcLens = lens;
        dialog = f_->dialog();
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
