// The batch dialog's "Measure into a CSV file": its CSV and sky images are
// karwen-cli measure's for the same photos and settings, a damaged photo
// among them included; Stop then measuring again continues the CSV without
// measuring a photo twice (Exit during a run is the converting run's, in
// tst_batch_dialog_run); a CSV there is replaced only with consent; and
// the rules that name the sky images' folder and word the messages.
#include "area_model.h"
#include "batch_dialog_support.h"
#include "batch_measure_plan.h"
#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "canopy_row.h"
#include "light_options.h"

#include <algorithm>

using namespace karwen;
using namespace Qt::StringLiterals;
using namespace karwen::test;
using karwen::ui::BatchDialog;

namespace {

// Rings and a fixed threshold other than the defaults: the run must take
// the settings it is given.
canopy::CanopySettings measureSettings()
{
    canopy::CanopySettings settings;
    settings.rings = 5;
    settings.method = canopy::ThresholdMethod::Fixed;
    settings.fixedThreshold = 100;
    return settings;
}
const QStringList kSettingsOptions{"--rings", "5", "--threshold", "100", "--src-projection", "equidistant"};

// A 512 x 512 sky in a disc on black, with dark leaves in a pattern.
void writeCanopyPhoto(const QString& path, int seed)
{
    QVERIFY(paintPhoto(path.toStdString(), 512, 512, [seed](int x, int y) {
        const int dx = x - 256, dy = y - 256;
        if (dx * dx + dy * dy > 250 * 250)
            return packRgb(0, 0, 0);
        const bool leaf = ((x / 16) + (y / 16) + seed) % 3 == 0;
        return leaf ? packRgb(30, 60, 20) : packRgb(190, 215, 250);
    }));
}

// A JPEG whose data ends early.
void writeDamagedPhoto(const QString& path)
{
    writeCanopyPhoto(path, 2);
    const QByteArray whole = readFile(path);
    writeBytes(path, whole.left(whole.size() * 2 / 5));
}

// karwen-cli measure over the paths with the tests' settings; its exit code.
int measureByTheCommandLine(const QStringList& options, const QStringList& photos)
{
    return runCli(QStringList{"measure", "-q"} + kSettingsOptions + options + photos);
}

[[nodiscard]] bool measureToTheEnd(BatchDialog& dialog)
{
    dialog.cmdMeasure_Click();
    return QTest::qWaitFor([&] { return !dialog.isRunning(); }, 120000);
}

QStringList linesOf(const QString& path) { return QString::fromUtf8(readFile(path)).split(u'\n', Qt::SkipEmptyParts); }

// The file and error columns of each row.
QList<QPair<QString, QString>> filesAndErrors(const QString& csv)
{
    QList<QPair<QString, QString>> rows;
    const QStringList lines = linesOf(csv);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto fields = canopy::csvFields(lines[i].toStdString());
        if (!fields || fields->size() < 2)
            return {};
        rows.append({QString::fromStdString((*fields)[0]), QString::fromStdString((*fields)[1])});
    }
    return rows;
}

// Every file of a folder with its bytes.
QMap<QString, QByteArray> filesOf(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        files.insert(name, readFile(folder + u'/' + name));
    return files;
}

} // namespace

class TestBatchMeasure : public QObject {
    Q_OBJECT

    std::unique_ptr<BatchFolders> f_;
    QStringList& messages() { return f_->dialogs.messages; }

    // A dialog over the photos of in/, all selected, measuring into csv.
    std::unique_ptr<BatchDialog> measuringDialog(const QString& csv)
    {
        auto dialog = f_->dialog();
        dialog->cmdAddAll_Click();
        dialog->useCanopySettings(measureSettings(), std::nullopt);
        child<QLineEdit>(*dialog, u"txtCsv"_s)->setText(csv);
        return dialog;
    }
    // The paths the dialog measures, in its order.
    QStringList selectedPaths(const BatchDialog& dialog) const
    {
        QStringList paths;
        for (const QString& name : texts(child<QListWidget>(dialog, u"lstD"_s)))
            paths << QDir(f_->in()).filePath(name);
        return paths;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<BatchFolders>();
        InitAreaTables(); // the sample dots, as the program's start fills them
    }
    void cleanup() { f_.reset(); }

    void windowWritesWhatTheCommandLineWrites_data()
    {
        QTest::addColumn<bool>("findCircle");
        QTest::addColumn<bool>("skyImages");
        QTest::addColumn<bool>("light");
        QTest::newRow("given circle") << false << false << false;
        QTest::newRow("found circle, sky images") << true << true << false;
        QTest::newRow("light") << false << false << true;
    }
    void windowWritesWhatTheCommandLineWrites()
    {
        QFETCH(bool, findCircle);
        QFETCH(bool, skyImages);
        QFETCH(bool, light);
        const QStringList lightOptions{"--site", "45,10", "--period", "2021-06-01..2021-06-03"};
        writeCanopyPhoto(f_->in(u"a.jpg"_s), 0);
        writeCanopyPhoto(f_->in(u"b.bmp"_s), 1);
        writeDamagedPhoto(f_->in(u"c.jpg"_s));
        const QString csv = f_->path(u"out/plot.csv"_s);
        const auto dialog = measuringDialog(csv);
        child<QCheckBox>(*dialog, u"chkFindCircle"_s)->setChecked(findCircle);
        child<QCheckBox>(*dialog, u"chkSaveSky"_s)->setChecked(skyImages);
        if (light) {
            cli::RawLightOptions raw;
            raw.site = lightOptions[1].toStdString();
            raw.period = lightOptions[3].toStdString();
            dialog->useCanopySettings(measureSettings(), cli::checkedLight(raw).request);
        }
        QVERIFY(measureToTheEnd(*dialog));

        QStringList options{"--csv", f_->path(u"cli.csv"_s)};
        if (!findCircle)
            options << "--circle"
                    << "256,256,256";
        if (skyImages)
            options << "--save-classified" << f_->path(u"cli-sky"_s);
        if (light)
            options << lightOptions;
        QCOMPARE(measureByTheCommandLine(options, selectedPaths(*dialog)), 1); // the damaged photo failed
        QCOMPARE(readFile(csv), readFile(f_->path(u"cli.csv"_s)));

        // The damaged photo's error row is the command line's; the user hears of it.
        QCOMPARE(messages().size(), 1);
        QVERIFY2(
            messages()[0].contains(u"c.jpg"_s) && messages()[0].contains(u"1 failed"_s), qPrintable(messages()[0]));

        // Sky images beside the CSV, named after it, the command line's.
        const QMap<QString, QByteArray> sky = filesOf(f_->path(u"out/plot-sky"_s));
        QCOMPARE(sky.size(), skyImages ? 2 : 0);
        QVERIFY(sky == filesOf(f_->path(u"cli-sky"_s)));
    }

    void stopThenMeasureAgainContinuesTheCsv()
    {
        for (int i = 0; i < 5; ++i)
            writeCanopyPhoto(f_->in(u"p%1.jpg"_s.arg(i)), i);
        const QString csv = f_->path(u"out/plot.csv"_s);
        const auto dialog = measuringDialog(csv);
        FileGate gate(2);
        dialog->setFileGate(gate.hook());
        QSignalSpy finished(dialog.get(), &BatchDialog::runFinished);
        dialog->cmdMeasure_Click();
        QTRY_VERIFY_WITH_TIMEOUT(gate.reached(), 60000);
        dialog->cmdStop_Click();
        gate.open();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
        QVERIFY2(messages().isEmpty(), qPrintable(messages().join(u'\n')));
        auto* label = child<QLabel>(*dialog, u"lblProcess"_s);
        QVERIFY2(label->text().startsWith(u"Stopped early: 2 measured, 0 failed"_s), qPrintable(label->text()));
        const QStringList stopped = linesOf(csv);
        QCOMPARE(stopped.size(), 3);

        dialog->setFileGate({});
        QVERIFY(measureToTheEnd(*dialog));
        QVERIFY2(label->text().startsWith(u"3 measured, 2 skipped, 0 failed"_s), qPrintable(label->text()));
        QCOMPARE(child<QProgressBar>(*dialog, u"progress"_s)->maximum(), 3);
        // Each photo once, in the list's order: what one run writes.
        const QStringList paths = selectedPaths(*dialog);
        QCOMPARE(measureByTheCommandLine({"--csv", f_->path(u"cli.csv"_s), "--circle", "256,256,256"}, paths), 0);
        QCOMPARE(readFile(csv), readFile(f_->path(u"cli.csv"_s)));
        QVERIFY(messages().isEmpty());
    }

    void aCsvThereIsReplacedOnlyWithConsent_data()
    {
        QTest::addColumn<bool>("ours");    // a CSV of the figures, else another file
        QTest::addColumn<bool>("replace"); // "Replace results that exist"
        QTest::addColumn<bool>("yes");     // the answer to the question
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("rows"); // after the run; -1: the file is left as it was
        QTest::newRow("figures, continued") << true << false << false << false << 2;
        QTest::newRow("figures, replace refused") << true << true << false << true << -1;
        QTest::newRow("figures, replaced") << true << true << true << true << 2;
        QTest::newRow("another file, continued") << false << false << false << false << -1;
        QTest::newRow("another file, replace agreed") << false << true << true << true << -1;
    }
    void aCsvThereIsReplacedOnlyWithConsent()
    {
        QFETCH(bool, ours);
        QFETCH(bool, replace);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        QFETCH(int, rows);
        writeCanopyPhoto(f_->in(u"a.jpg"_s), 0);
        writeCanopyPhoto(f_->in(u"b.jpg"_s), 1);
        const QString csv = f_->path(u"out/plot.csv"_s);
        // Ours: one row of a photo not in the list, which a replacement drops.
        const QByteArray before = ours
            ? QByteArray::fromStdString(canopy::csvHeader(5) + "\n"
                + canopy::csvRow(canopy::failedRow("elsewhere.jpg", "not found", measureSettings())) + "\n")
            : "name,age\nAda,36\n"_ba;
        writeBytes(csv, before);
        const auto dialog = measuringDialog(csv);
        child<QCheckBox>(*dialog, u"chkReplace"_s)->setChecked(replace);
        f_->dialogs.answers = {yes};
        QVERIFY(measureToTheEnd(*dialog));
        QCOMPARE(f_->dialogs.questions.size(), asked ? 1 : 0);
        if (rows < 0) {
            QCOMPARE(readFile(csv), before);
            // Refused by the run itself: why, in the window's words.
            if (!ours) {
                QCOMPARE(messages().size(), 1);
                QVERIFY2(
                    messages()[0].contains(u"is not"_s) && !messages()[0].contains(u"--"_s), qPrintable(messages()[0]));
            }
            return;
        }
        QVERIFY(messages().isEmpty());
        const auto written = filesAndErrors(csv);
        const bool kept = !replace;
        QCOMPARE(written.size(), rows + (kept ? 1 : 0));
        const bool elsewhere
            = std::ranges::any_of(written, [](const auto& row) { return row.first == u"elsewhere.jpg"_s; });
        QCOMPARE(elsewhere, kept);
    }

    // Sky images there from an earlier run are kept, as results are, unless
    // "Replace results that exist" is ticked.
    void skyImagesThereAreReplacedOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("kept") << false;
        QTest::newRow("replaced") << true;
    }
    void skyImagesThereAreReplacedOnlyWhenAsked()
    {
        QFETCH(bool, replace);
        writeCanopyPhoto(f_->in(u"a.jpg"_s), 0);
        const QString csv = f_->path(u"out/plot.csv"_s);
        const auto dialog = measuringDialog(csv);
        child<QCheckBox>(*dialog, u"chkSaveSky"_s)->setChecked(true);
        QVERIFY(measureToTheEnd(*dialog));
        const QMap<QString, QByteArray> before = filesOf(f_->path(u"out/plot-sky"_s));
        QCOMPARE(before.size(), 1);
        QVERIFY(QFile::remove(csv));

        canopy::CanopySettings darker = measureSettings();
        darker.fixedThreshold = 230; // less of the sky counts as sky
        dialog->useCanopySettings(darker, std::nullopt);
        child<QCheckBox>(*dialog, u"chkReplace"_s)->setChecked(replace);
        QVERIFY(measureToTheEnd(*dialog));
        QVERIFY(f_->dialogs.questions.isEmpty()); // no CSV was there to lose
        QVERIFY(messages().isEmpty());
        QCOMPARE(filesOf(f_->path(u"out/plot-sky"_s)) != before, replace);
    }

    // What cannot be written is refused before the first photo, with why,
    // and nothing is written.
    void refusedBeforeTheFirstPhoto_data()
    {
        QTest::addColumn<QString>("csv"); // in the test's folder
        QTest::addColumn<QString>("sky"); // the sky images' folder; "" for none
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder in the way") << u"out"_s << QString() << u"a folder of this name is in the way"_s;
        QTest::newRow("no such folder") << u"gone/plot.csv"_s << QString() << u"the folder does not exist"_s;
        QTest::newRow("one of the photos") << u"in/a.jpg"_s << QString() << u"is the photo"_s;
        QTest::newRow("sky folder a file") << u"out/plot.csv"_s << u"notes.txt"_s << u"notes.txt"_s;
    }
    void refusedBeforeTheFirstPhoto()
    {
        QFETCH(QString, csv);
        QFETCH(QString, sky);
        QFETCH(QString, reason);
        writeCanopyPhoto(f_->in(u"a.jpg"_s), 0);
        writeBytes(f_->path(u"notes.txt"_s), "notes");
        const QByteArray photo = readFile(f_->in(u"a.jpg"_s));
        const auto dialog = measuringDialog(f_->path(csv));
        child<QCheckBox>(*dialog, u"chkSaveSky"_s)->setChecked(!sky.isEmpty());
        child<QLineEdit>(*dialog, u"txtSkyFolder"_s)->setText(sky.isEmpty() ? QString() : f_->path(sky));
        QVERIFY(measureToTheEnd(*dialog));
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages()[0].contains(reason) && !messages()[0].contains(u"karwen-cli"_s), qPrintable(messages()[0]));
        QCOMPARE(messages()[0].count(u"othing was measured"_s), 1);
        QCOMPARE(child<QLabel>(*dialog, u"lblProcess"_s)->text(), u"Nothing was measured."_s);
        QCOMPARE(readFile(f_->in(u"a.jpg"_s)), photo);
        QCOMPARE(readFile(f_->path(u"notes.txt"_s)), "notes"_ba);
        QVERIFY(f_->written().isEmpty());
    }

    void skyFolderIsNamedAfterTheCsv_data()
    {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("folder");
        QTest::newRow("suffix") << u"/d/plot.csv"_s << u"/d/plot-sky"_s;
        QTest::newRow("two dots") << u"/d/a.b.csv"_s << u"/d/a.b-sky"_s;
        QTest::newRow("no suffix") << u"/d/plot"_s << u"/d/plot-sky"_s;
        QTest::newRow("dot alone") << u"/d/.csv"_s << u"/d/.csv-sky"_s;
        QTest::newRow("dotted folder") << u"/d.x/plot"_s << u"/d.x/plot-sky"_s;
        QTest::newRow("relative") << u"plot.csv"_s << u"plot-sky"_s;
    }
    void skyFolderIsNamedAfterTheCsv()
    {
        QFETCH(QString, csv);
        QFETCH(QString, folder);
        QCOMPARE(ui::defaultSkyFolder(csv), folder);
    }

    void messagesInTheWindowsWords_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("words");
        QTest::newRow("program and option")
            << u"karwen-cli measure: --csv: \"x\" is not a CSV"_s << u"\"x\" is not a CSV"_s;
        QTest::newRow("option") << u"--resume: \"x\" was made with other settings"_s
                                << u"\"x\" was made with other settings"_s;
        QTest::newRow("plain") << u"Cannot save \"x\": the folder does not exist"_s
                               << u"Cannot save \"x\": the folder does not exist"_s;
        QTest::newRow("option inside") << u"a.jpg: give --circle"_s << u"a.jpg: give --circle"_s;
    }
    void messagesInTheWindowsWords()
    {
        QFETCH(QString, line);
        QFETCH(QString, words);
        QCOMPARE(ui::windowWords(line), words);
    }
};

QTEST_MAIN(TestBatchMeasure)
#include "tst_batch_measure.moc"
