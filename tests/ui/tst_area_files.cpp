// The area data file and the measurement log through the menus and the
// panel's buttons, with scripted dialogs; and painting with every tool size
// on a real fisheye photo (tests/manual/screenshots.cpp makes pictures of
// the same walk).
#include "area_app_fixture.h"
#include "area_file.h"
#include "area_log.h"
#include "colour_value.h"
#include "parameter_form.h"

using namespace karwen;
using namespace Qt::StringLiterals;
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

// Runs one of the commands that throw the painted dots away.
void runDiscardingCommand(
    test::AreaApp& app, const QString& command, const QString& otherImage, const QString& areaFile)
{
    if (command == QLatin1String("reset")) {
        app.press("cmdReset");
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
    // The disc open, measurement on, the largest brush.
    void init()
    {
        disc_ = test::writeDiscImage(dir_, u"disc.bmp"_s);
        app_ = std::make_unique<test::AreaApp>();
        QVERIFY(app_->open(disc_));
        app_->panel().chkAreaMeasure()->click();
        app_->panel().optBrush(3)->click();
    }
    void cleanup() { app_.reset(); }

    void firstSaveProposesImageName()
    {
        const QString target = dir_.filePath(u"first.area"_s);
        app_->dialogs.files = {target};
        app_->menu("mnuFileSaveArea");
        const ui::FileDialogRequest& request = app_->dialogs.requests.back();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Save);
        // The destination was never saved: the source's name with ".area".
        QCOMPARE(request.fileName, dir_.filePath(u"disc.area"_s));
        QCOMPARE(request.filters, QStringList{u"面積計量 (*.area)"_s});
        QCOMPARE(request.defaultSuffix, u"area"_s);
        // The bytes of a fresh measurement are the area file suite's; here: written.
        QVERIFY(readFile(target).startsWith("0,1000\r\n0\r\n"));
        QCOMPARE(QString::fromStdString(AreaFile), target);
        // The next save proposes the last area file.
        app_->dialogs.files = {std::nullopt};
        app_->menu("mnuFileSaveArea");
        QCOMPARE(app_->dialogs.requests.back().fileName, target);
        QVERIFY(app_->dialogs.messages.isEmpty());
    }

    void roundTripRestoresMeasurement()
    {
        app_->stroke(test::AreaApp::at(1), {6, 2}, 12);
        app_->panel().optRgn(2)->click();
        app_->stroke(test::AreaApp::at(700), {-4, 5}, 10);
        QVERIFY(ClassCount[1] > 0 && ClassCount[2] > 0);
        const auto classes = DotClass;
        const auto counts = ClassCount;
        const QStringList labels = allLabels(app_->panel());
        const QString file = dir_.filePath(u"trip.area"_s);
        app_->dialogs.files = {file};
        app_->menu("mnuFileSaveArea");

        app_->press("cmdReset");
        QCOMPARE(ClassCount[0], int16_t(kDotCount));
        app_->dialogs.files = {file};
        app_->menu("mnuFileLoadArea");
        const ui::FileDialogRequest& request = app_->dialogs.requests.back();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Open);
        QCOMPARE(request.filters, QStringList{u"面積計測ファイル (*.area)"_s});
        QCOMPARE(DotClass, classes);
        QCOMPARE(ClassCount, counts);
        QCOMPARE(allLabels(app_->panel()), labels);
        QVERIFY(app_->dialogs.messages.isEmpty());
        // The view shows the loaded classes: a class 1 dot in its colour.
        for (int n = 1; n <= kDotCount; ++n)
            if (DotClass[std::size_t(n)] == 1) {
                QCOMPARE(app_->dst()->canvas().pixel(test::AreaApp::at(n)), views::colourOf(ClassColor[1]).rgb());
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
        app_->stroke(test::AreaApp::at(1), {5, 5}, 8);
        const auto classes = DotClass;
        const QStringList labels = allLabels(app_->panel());
        const QImage screen = app_->dst()->canvas().copy();
        const QString file = dir_.filePath(u"bad.area"_s);
        QFile::remove(file);
        if (!content.isEmpty())
            QVERIFY(test::writeFile(file, content));
        app_->dialogs.files = {file};
        app_->dialogs.answers = {true}; // discard the painted dots for the file
        app_->menu("mnuFileLoadArea");
        if (content.isEmpty()) {
            // The open dialog itself refuses a missing file: nothing happens.
            QVERIFY(app_->dialogs.messages.isEmpty());
            QVERIFY(!LoadAreaData(file.toStdString()));
        } else {
            QCOMPARE(app_->dialogs.messages, QStringList{u"ERROR: Cannot load area data."_s});
        }
        QCOMPARE(DotClass, classes);
        QCOMPARE(allLabels(app_->panel()), labels);
        QCOMPARE(app_->dst()->canvas(), screen);
    }

    void cancelChangesNothingUnwritableSaveReports()
    {
        AreaFile = "/kept/before.area";
        app_->dialogs.files = {std::nullopt, std::nullopt, dir_.filePath(u"no/such/folder/x.area"_s)};
        app_->menu("mnuFileLoadArea");
        app_->menu("mnuFileSaveArea");
        QVERIFY(app_->dialogs.messages.isEmpty());
        QCOMPARE(AreaFile, std::string("/kept/before.area"));
        app_->menu("mnuFileSaveArea");
        QCOMPARE(app_->dialogs.messages, QStringList{u"ERROR: Cannot write area data."_s});
    }

    void logAndClear()
    {
        QTemporaryDir folder;
        const CurrentFolder here(folder.path());
        const QString log = folder.filePath(u"KARWEN.LOG"_s);
        auto* cmdLog = app_->panel().findChild<QPushButton*>(u"cmdLog"_s);
        auto* cmdClear = app_->panel().findChild<QPushButton*>(u"cmdClear"_s);

        cmdClear->click(); // on a missing log: creates it empty
        QVERIFY(QFile::exists(log));
        QCOMPARE(readFile(log).size(), 0);
        app_->stroke(test::AreaApp::at(1), {5, 0}, 6);
        cmdLog->click();
        QCOMPARE(app_->app.frmMain().statusBar()->currentMessage(), u"Logged to "_s + QDir::toNativeSeparators(log));
        cmdLog->click();
        const QList<QByteArray> lines = readFile(log).split('\n');
        QCOMPARE(lines.size(), 2 * 19 + 1); // the last CRLF leaves an empty tail
        QCOMPARE(lines.at(1), ("(" + disc_.toUtf8() + ")\r"));
        QCOMPARE(lines.at(2), QByteArray::fromStdString(ProjName[std::size_t(DstPrm.Proj)]) + "\r");
        QCOMPARE(lines.at(4), ("01" + QByteArray::fromStdString(shareColumn(ClassCount[1], 6)) + "%\r"));
        // "Clear" keeps both entries in the backup (its rules are the area
        // log suite's), and says where.
        const QByteArray twoEntries = readFile(log);
        cmdClear->click();
        QCOMPARE(readFile(log).size(), 0);
        QCOMPARE(readFile(log + QLatin1Char('~')), twoEntries);
        QCOMPARE(app_->app.frmMain().statusBar()->currentMessage(),
            u"Log cleared; its entries are kept in "_s + QDir::toNativeSeparators(log) + QLatin1Char('~'));
        QVERIFY(app_->dialogs.messages.isEmpty());
    }

    void logErrors()
    {
        QTemporaryDir folder;
        const CurrentFolder here(folder.path());
        // A folder by the log's name can be neither appended to nor truncated.
        QVERIFY(QDir(folder.path()).mkdir(u"KARWEN.LOG"_s));
        app_->press("cmdLog");
        app_->press("cmdClear");
        QCOMPARE(
            app_->dialogs.messages, QStringList({u"ERROR: Cannot write log."_s, u"ERROR: Cannot clear log file."_s}));
        // The entries cannot be kept: the log is not cleared.
        QTemporaryDir other;
        const CurrentFolder there(other.path());
        QVERIFY(test::writeFile(other.filePath(u"KARWEN.LOG"_s), "entries\r\n"));
        QVERIFY(QDir(other.path()).mkdir(u"KARWEN.LOG~"_s));
        app_->press("cmdClear");
        QCOMPARE(app_->dialogs.messages.constLast(), u"ERROR: Cannot keep a copy of the log; it was not cleared."_s);
        QCOMPARE(readFile(other.filePath(u"KARWEN.LOG"_s)), QByteArray("entries\r\n"));
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
        const QString other = test::writeDiscImage(dir_, u"other.bmp"_s);
        const QString areaFile = dir_.filePath(u"empty.area"_s);
        QByteArray allZero = "0,1000\r\n";
        for (int n = 0; n < kDotCount; ++n)
            allZero += "0\r\n";
        QVERIFY(test::writeFile(areaFile, allZero));
        app_->stroke(test::AreaApp::at(1), {5, 5}, 8);
        const auto painted = DotClass;
        QVERIFY(ClassCount[1] > 0);
        const int32_t image = hSrc;

        app_->dialogs.answers = {false};
        runDiscardingCommand(*app_, command, other, areaFile);
        QCOMPARE(app_->dialogs.questions, QStringList{test::kDiscardQuestion});
        QCOMPARE(DotClass, painted);
        QCOMPARE(hSrc, image);
        QVERIFY(app_->dst());

        app_->dialogs.answers = {true};
        runDiscardingCommand(*app_, command, other, areaFile);
        QCOMPARE(app_->dialogs.questions.size(), 2);
        QVERIFY(app_->dialogs.messages.isEmpty());
        QVERIFY(!areaChangedSinceKept()); // given up once, never asked about again
        if (command.startsWith(QLatin1String("close")) || command == QLatin1String("exit"))
            QVERIFY(!app_->dst() && !isImage(hSrc));
        else
            QCOMPARE(ClassCount[1], int16_t(0));
    }

    // Saved, logged or never painted: nothing is asked.
    void keptDotsAreNotAskedAbout()
    {
        app_->menu("mnuFileClose");
        QVERIFY(app_->dialogs.questions.isEmpty());
        QVERIFY(!isImage(hSrc));

        QVERIFY(app_->open(disc_));
        app_->stroke(test::AreaApp::at(1), {5, 5}, 8);
        app_->dialogs.files = {dir_.filePath(u"kept.area"_s)};
        app_->menu("mnuFileSaveArea");
        app_->press("cmdReset");
        QVERIFY(app_->dialogs.questions.isEmpty());

        QTemporaryDir folder;
        const CurrentFolder here(folder.path());
        app_->stroke(test::AreaApp::at(1), {5, 5}, 8);
        app_->press("cmdLog");
        // Painted back to what was logged: no change either.
        app_->stroke(test::AreaApp::at(1), {5, 5}, 8, Qt::RightButton);
        app_->stroke(test::AreaApp::at(1), {5, 5}, 8);
        app_->menu("mnuFileClose");
        QVERIFY(app_->dialogs.questions.isEmpty());
        QVERIFY(app_->dialogs.messages.isEmpty());
    }

    // Every brush and dot style in turn on a real photo: sky near the zenith
    // into class 1, the rim (trees, buildings) into class 2.
    void realPhotoWalkthrough()
    {
        test::AreaApp& app = *app_;
        app.app.frmMain().show();
        QVERIFY(app.open(test::kSamplePhoto));
        auto* cmbD = app.app.windows().frmFormat().findChild<QComboBox*>(u"cmbD"_s);
        cmbD->setCurrentIndex(ui::ParameterForm::projectionItem(cmbD, kEquidistant));
        QCOMPARE(DstPrm.Proj, kEquidistant);
        ui::AreaPanel& panel = app.panel();
        int previous1 = 0, previous2 = 0;
        for (int style = 0; style < kToolSizeCount; ++style) {
            panel.optDot(style)->click();
            panel.optBrush(style)->click();
            panel.optRgn(1)->click();
            app.stroke(test::AreaApp::at(1) + QPoint(-30 + 20 * style, -20), {3, 2}, 15);
            panel.optRgn(2)->click();
            app.stroke(test::AreaApp::at(893 + 1 + 25 * style), {2, -2}, 10);
            QVERIFY(ClassCount[1] > previous1 && ClassCount[2] > previous2);
            previous1 = ClassCount[1];
            previous2 = ClassCount[2];
            QCOMPARE(ClassCount[0] + ClassCount[1] + ClassCount[2], int16_t(kDotCount));
            QCOMPARE(panel.lblcs(1)->text(), QString::fromStdString(ClassPercentText(ClassCount[1])));
        }
        QVERIFY(app.dialogs.messages.isEmpty());
    }

private:
    QTemporaryDir dir_;
    QString disc_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestAreaFiles)
#include "tst_area_files.moc"
