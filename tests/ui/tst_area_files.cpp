// The area data file and the measurement log through the menus and the
// panel's buttons, with scripted dialogs; and painting with every tool size
// on a real fisheye photo (tests/manual/screenshots.cpp makes pictures of
// the same walk).
#include "area_app_fixture.h"
#include "area_file.h"
#include "area_log.h"
#include "colour_value.h"
#include "format_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

using namespace karwen;
using karwen::test::CurrentFolder;
using karwen::test::readFile;

namespace {

QStringList allLabels(ui::AreaPanel& panel)
{
    QStringList texts;
    for (int k = 0; k < kAreaClassCount; ++k)
        texts << panel.lblcs(k)->text();
    return texts;
}

const QString kDiscardQuestion = QStringLiteral("The area measurement has not been saved. Discard it?");

// Runs one of the commands that throw the painted dots away.
void runDiscardingCommand(
    test::AreaApp& app, const QString& command, const QString& otherImage, const QString& areaFile)
{
    if (command == QLatin1String("reset")) {
        app.panel().findChild<QPushButton*>(QStringLiteral("cmdReset"))->click();
    } else if (command == QLatin1String("close box")) {
        app.dst()->parentWidget()->close();
    } else if (command == QLatin1String("open")) {
        app.dialogs.files = {otherImage};
        app.menu("mnuFileOpen");
    } else if (command == QLatin1String("load area data")) {
        app.dialogs.files = {areaFile};
        app.menu("mnuFileLoadArea");
    } else if (command == QLatin1String("exit")) {
        app.app.frmMain().close();
    } else {
        app.menu("mnuFileClose");
    }
}

} // namespace

class TestAreaFiles : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        app_.reset();
        QVERIFY(dir_.isValid());
        disc_ = test::writeDiscImage(dir_, QStringLiteral("disc.bmp"));
        QVERIFY(!disc_.isEmpty());
    }

    void firstSaveProposesImageName()
    {
        test::AreaApp* app = openApp();
        QVERIFY(app);
        const QString target = dir_.filePath(QStringLiteral("first.area"));
        app->dialogs.files = {target};
        app->menu("mnuFileSaveArea");
        const ui::FileDialogRequest& request = app->dialogs.requests.back();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Save);
        // The destination was never saved: the source's name with ".area".
        QCOMPARE(request.fileName, dir_.filePath(QStringLiteral("disc.area")));
        QCOMPARE(request.filters, QStringList{QStringLiteral("面積計量 (*.area)")});
        QCOMPARE(request.defaultSuffix, QStringLiteral("area"));
        // The bytes of a fresh measurement are the area file suite's; here: written.
        QVERIFY(readFile(target).startsWith("0,1000\r\n0\r\n"));
        QCOMPARE(QString::fromStdString(AreaFile), target);
        // The next save proposes the last area file.
        app->dialogs.files = {std::nullopt};
        app->menu("mnuFileSaveArea");
        QCOMPARE(app->dialogs.requests.back().fileName, target);
        QVERIFY(app->dialogs.messages.isEmpty());
    }

    void roundTripRestoresMeasurement()
    {
        test::AreaApp* app = openApp();
        QVERIFY(app);
        app->stroke(test::AreaApp::at(1), {6, 2}, 12);
        app->panel().optRgn(2)->click();
        app->stroke(test::AreaApp::at(700), {-4, 5}, 10);
        QVERIFY(ClassCount[1] > 0 && ClassCount[2] > 0);
        const auto classes = DotClass;
        const auto counts = ClassCount;
        const QStringList labels = allLabels(app->panel());
        const QString file = dir_.filePath(QStringLiteral("trip.area"));
        app->dialogs.files = {file};
        app->menu("mnuFileSaveArea");

        app->panel().findChild<QPushButton*>(QStringLiteral("cmdReset"))->click();
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
        app->dialogs.files = {file};
        app->menu("mnuFileLoadArea");
        const ui::FileDialogRequest& request = app->dialogs.requests.back();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Open);
        QCOMPARE(request.filters, QStringList{QStringLiteral("面積計測ファイル (*.area)")});
        QCOMPARE(DotClass, classes);
        QCOMPARE(ClassCount, counts);
        QCOMPARE(allLabels(app->panel()), labels);
        QVERIFY(app->dialogs.messages.isEmpty());
        // The view shows the loaded classes: a class 1 dot in its colour.
        for (int n = 1; n <= kDotCount; ++n)
            if (DotClass[std::size_t(n)] == 1) {
                QCOMPARE(app->dst()->canvas().pixel(test::AreaApp::at(n)), views::colourOf(ClassColor[1]).rgb());
                break;
            }
    }

    void failedLoadKeepsScreen_data()
    {
        // The kinds of bad content are the area file suite's; here a file
        // refused only at its very end (nothing may have been applied by then)
        // and a file the open dialog refuses.
        QTest::addColumn<QByteArray>("content");
        QByteArray class16 = "0,1000\r\n";
        for (int n = 1; n < kDotCount; ++n)
            class16 += "3\r\n";
        QTest::newRow("class 16 in the last line") << class16 + "16\r\n";
        QTest::newRow("missing file") << QByteArray();
    }

    void failedLoadKeepsScreen()
    {
        QFETCH(QByteArray, content);
        test::AreaApp* app = openApp();
        QVERIFY(app);
        app->stroke(test::AreaApp::at(1), {5, 5}, 8);
        const auto classes = DotClass;
        const QStringList labels = allLabels(app->panel());
        const QImage screen = app->dst()->canvas().copy();
        const QString file = dir_.filePath(QStringLiteral("bad.area"));
        QFile::remove(file);
        if (!content.isEmpty())
            QVERIFY(test::writeFile(file, content));
        app->dialogs.files = {file};
        app->dialogs.answers = {true}; // discard the painted dots for the file
        app->menu("mnuFileLoadArea");
        if (content.isEmpty()) {
            // The open dialog itself refuses a missing file: nothing happens.
            QVERIFY(app->dialogs.messages.isEmpty());
            QVERIFY(!LoadAreaData(file.toStdString()));
        } else {
            QCOMPARE(app->dialogs.messages, QStringList{QStringLiteral("ERROR: Cannot load area data.")});
        }
        QCOMPARE(DotClass, classes);
        QCOMPARE(allLabels(app->panel()), labels);
        QCOMPARE(app->dst()->canvas(), screen);
    }

    void cancelChangesNothingUnwritableSaveReports()
    {
        test::AreaApp* app = openApp();
        QVERIFY(app);
        AreaFile = "/kept/before.area";
        app->dialogs.files = {std::nullopt, std::nullopt, dir_.filePath(QStringLiteral("no/such/folder/x.area"))};
        app->menu("mnuFileLoadArea");
        app->menu("mnuFileSaveArea");
        QVERIFY(app->dialogs.messages.isEmpty());
        QCOMPARE(AreaFile, std::string("/kept/before.area"));
        app->menu("mnuFileSaveArea");
        QCOMPARE(app->dialogs.messages, QStringList{QStringLiteral("ERROR: Cannot write area data.")});
    }

    void logAndClear()
    {
        test::AreaApp* app = openApp();
        QVERIFY(app);
        QTemporaryDir folder;
        const CurrentFolder here(folder.path());
        const QString log = folder.filePath(QStringLiteral("KARWEN.LOG"));
        auto* cmdLog = app->panel().findChild<QPushButton*>(QStringLiteral("cmdLog"));
        auto* cmdClear = app->panel().findChild<QPushButton*>(QStringLiteral("cmdClear"));

        cmdClear->click(); // on a missing log: creates it empty
        QVERIFY(QFile::exists(log));
        QCOMPARE(readFile(log).size(), 0);
        app->stroke(test::AreaApp::at(1), {5, 0}, 6);
        cmdLog->click();
        QCOMPARE(app->app.frmMain().statusBar()->currentMessage(),
            QStringLiteral("Logged to ") + QDir::toNativeSeparators(log));
        cmdLog->click();
        const QList<QByteArray> lines = readFile(log).split('\n');
        QCOMPARE(lines.size(), 2 * 19 + 1); // the last CRLF leaves an empty tail
        QCOMPARE(lines.at(1), ("(" + disc_.toUtf8() + ")\r"));
        QCOMPARE(lines.at(2), QByteArray::fromStdString(ProjName[std::size_t(DstPrm.Proj)]) + "\r");
        QCOMPARE(lines.at(4), ("01" + QByteArray::fromStdString(shareColumn(ClassCount[1], 6)) + "%\r"));
        for (int i = 1; i < 19; ++i)
            QCOMPARE(lines.at(19 + i), lines.at(i));
        // "Clear" keeps both entries in the backup, and says where.
        const QByteArray twoEntries = readFile(log);
        cmdClear->click();
        QCOMPARE(readFile(log).size(), 0);
        QCOMPARE(readFile(log + QLatin1Char('~')), twoEntries);
        QCOMPARE(app->app.frmMain().statusBar()->currentMessage(),
            QStringLiteral("Log cleared; its entries are kept in ") + QDir::toNativeSeparators(log) + QLatin1Char('~'));
        cmdLog->click();
        QCOMPARE(readFile(log).count('\n'), 19);
        // The next Clear replaces the backup with what the log holds now.
        const QByteArray oneEntry = readFile(log);
        cmdClear->click();
        QCOMPARE(readFile(log + QLatin1Char('~')), oneEntry);
        QVERIFY(app->dialogs.messages.isEmpty());
    }

    void logErrors()
    {
        test::AreaApp* app = openApp();
        QVERIFY(app);
        QTemporaryDir folder;
        const CurrentFolder here(folder.path());
        // A folder by the log's name can be neither appended to nor truncated.
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("KARWEN.LOG")));
        app->panel().findChild<QPushButton*>(QStringLiteral("cmdLog"))->click();
        app->panel().findChild<QPushButton*>(QStringLiteral("cmdClear"))->click();
        QCOMPARE(app->dialogs.messages,
            QStringList({QStringLiteral("ERROR: Cannot write log."), QStringLiteral("ERROR: Cannot clear log file.")}));
        // The entries cannot be kept: the log is not cleared.
        QTemporaryDir other;
        const CurrentFolder there(other.path());
        QVERIFY(test::writeFile(other.filePath(QStringLiteral("KARWEN.LOG")), "entries\r\n"));
        QVERIFY(QDir(other.path()).mkdir(QStringLiteral("KARWEN.LOG~")));
        app->panel().findChild<QPushButton*>(QStringLiteral("cmdClear"))->click();
        QCOMPARE(app->dialogs.messages.constLast(),
            QStringLiteral("ERROR: Cannot keep a copy of the log; it was not cleared."));
        QCOMPARE(readFile(other.filePath(QStringLiteral("KARWEN.LOG"))), QByteArray("entries\r\n"));
    }

    void unsavedDotsAreAskedAbout_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* command : {"reset", "close", "close box", "open", "load area data", "exit"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }

    // No keeps the painted dots and the image; Yes lets the command go on.
    void unsavedDotsAreAskedAbout()
    {
        QFETCH(QString, command);
        const QString other = test::writeDiscImage(dir_, QStringLiteral("other.bmp"));
        const QString areaFile = dir_.filePath(QStringLiteral("empty.area"));
        QByteArray allZero = "0,1000\r\n";
        for (int n = 0; n < kDotCount; ++n)
            allZero += "0\r\n";
        QVERIFY(test::writeFile(areaFile, allZero));
        test::AreaApp* app = openApp();
        QVERIFY(app);
        app->stroke(test::AreaApp::at(1), {5, 5}, 8);
        const auto painted = DotClass;
        QVERIFY(ClassCount[1] > 0);
        const int32_t image = hSrc;

        app->dialogs.answers = {false};
        runDiscardingCommand(*app, command, other, areaFile);
        QCOMPARE(app->dialogs.questions, QStringList{kDiscardQuestion});
        QCOMPARE(DotClass, painted);
        QCOMPARE(hSrc, image);
        QVERIFY(app->dst());

        app->dialogs.answers = {true};
        runDiscardingCommand(*app, command, other, areaFile);
        QCOMPARE(app->dialogs.questions.size(), 2);
        QVERIFY(app->dialogs.messages.isEmpty());
        QVERIFY(!areaChangedSinceKept()); // given up once, never asked about again
        if (command.startsWith(QLatin1String("close")) || command == QLatin1String("exit"))
            QVERIFY(!app->dst() && !isImage(hSrc));
        else
            QCOMPARE(ClassCount[1], int16_t(0));
    }

    // Saved, logged or never painted: nothing is asked.
    void keptDotsAreNotAskedAbout()
    {
        test::AreaApp* app = openApp();
        QVERIFY(app);
        app->menu("mnuFileClose");
        QVERIFY(app->dialogs.questions.isEmpty());
        QVERIFY(!isImage(hSrc));

        QVERIFY(app->open(disc_));
        app->stroke(test::AreaApp::at(1), {5, 5}, 8);
        app->dialogs.files = {dir_.filePath(QStringLiteral("kept.area"))};
        app->menu("mnuFileSaveArea");
        app->panel().findChild<QPushButton*>(QStringLiteral("cmdReset"))->click();
        QVERIFY(app->dialogs.questions.isEmpty());

        QTemporaryDir folder;
        const CurrentFolder here(folder.path());
        app->stroke(test::AreaApp::at(1), {5, 5}, 8);
        app->panel().findChild<QPushButton*>(QStringLiteral("cmdLog"))->click();
        // Painted back to what was logged: no change either.
        app->stroke(test::AreaApp::at(1), {5, 5}, 8, Qt::RightButton);
        app->stroke(test::AreaApp::at(1), {5, 5}, 8);
        app->menu("mnuFileClose");
        QVERIFY(app->dialogs.questions.isEmpty());
        QVERIFY(app->dialogs.messages.isEmpty());
    }

    void realPhotoWalkthrough()
    {
        const QString photo = QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg");
        if (!QFile::exists(photo))
            QSKIP("sample photo not present");
        test::AreaApp app;
        app.app.frmMain().show();
        QVERIFY(app.open(photo));
        // An equidistant destination, chosen in the parameters dialog.
        auto* cmbD = app.app.windows().frmFormat().findChild<QComboBox*>(QStringLiteral("cmbD"));
        QVERIFY(cmbD);
        cmbD->setCurrentIndex(kEquidistant);
        QCOMPARE(DstPrm.Proj, kEquidistant);
        ui::AreaPanel& panel = app.panel();
        panel.chkAreaMeasure()->click();
        // Sky near the zenith into class 1, the rim (trees, buildings) into
        // class 2, with every brush and dot style in turn.
        int previous1 = 0, previous2 = 0;
        for (int style = 0; style < kToolSizeCount; ++style) {
            panel.optDot(style)->click();
            panel.optBrush(style)->click();
            panel.optRgn(1)->click();
            app.stroke(test::AreaApp::at(1) + QPoint(-30 + 20 * style, -20), {3, 2}, 15);
            QVERIFY(ClassCount[1] > previous1);
            panel.optRgn(2)->click();
            const QPoint rim = test::AreaApp::at(893 + 1 + 25 * style);
            app.stroke(rim, {2, -2}, 10);
            QVERIFY(ClassCount[2] > previous2);
            previous1 = ClassCount[1];
            previous2 = ClassCount[2];
            QCOMPARE(ClassCount[0] + ClassCount[1] + ClassCount[2], int16_t(kDotCount));
            QCOMPARE(panel.lblcs(1)->text(), QString::fromStdString(ClassPercentText(ClassCount[1])));
        }

        // Saving, loading and logging are the disc tests above.
        QVERIFY(app.dialogs.messages.isEmpty());
    }

private:
    [[nodiscard]] test::AreaApp* openApp()
    {
        app_ = std::make_unique<test::AreaApp>();
        if (!app_->open(disc_))
            return nullptr;
        app_->panel().chkAreaMeasure()->click();
        app_->panel().optBrush(3)->click();
        return app_.get();
    }

    QTemporaryDir dir_;
    QString disc_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestAreaFiles)
#include "tst_area_files.moc"
