// Settings kept between runs: each one survives a restart from the same
// file, a damaged one falls back to its start value alone, and "Reset
// settings" brings back the start values and empties the file.
#include "area_app_fixture.h"
#include "batch_dialog.h"
#include "canopy_settings_form.h"
#include "canopy_window.h"
#include "lens_catalogue.h"
#include "light_settings_form.h"
#include "stored_settings.h"

using namespace karwen;
using namespace Qt::StringLiterals;
using test::AreaApp;

namespace {

// What a kept setting holds now, by its key in the file.
QString probe(AreaApp& app, const QString& key)
{
    const QMap<QString, std::function<QString()>> globals{
        {u"destination/width"_s, [] { return QString::number(DstW); }},
        {u"destination/cx"_s, [] { return QString::number(DstPrm.Cx); }},
        {u"destination/projection"_s, [] { return QString::number(DstPrm.Proj); }},
        {u"destination/interpolation"_s, [] { return QString::number(Interp); }},
        {u"destination/grid"_s, [] { return QString::number(GridOn); }},
        {u"destination/gridR"_s, [] { return QString::number(GridR); }},
        {u"destination/gridTheta"_s, [] { return QString::number(GridTheta); }},
    };
    if (globals.contains(key))
        return globals[key]();
    ui::WindowRegistry& windows = app.app.windows();
    if (key == u"layout/format"_s)
        return QString::number(windows.frmFormat().parentWidget()->x());
    if (key == u"dialogs/folder"_s) {
        const QString last = windows.frmMain().cdl().FileName;
        return last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
    }
    if (key == u"layout/frame"_s)
        return QString::number(windows.frmMain().width());
    ui::CanopyWindow& canopy = windows.frmCanopy();
    // Whether the light fields' texts were taken, not only shown.
    if (key == u"light/taken"_s)
        return canopy.lightForm().lastValid() ? u"taken"_s : u"none"_s;
    const QString name = key.section(u'/', 1);
    QWidget* control = key.startsWith(u"canopy/"_s) ? canopy.form().findChild<QWidget*>(name)
                                                    : canopy.lightForm().findChild<QWidget*>(name);
    if (auto* count = qobject_cast<QSpinBox*>(control))
        return QString::number(count->value());
    if (auto* number = qobject_cast<QDoubleSpinBox*>(control))
        return QString::number(number->value());
    if (auto* list = qobject_cast<QComboBox*>(control))
        return QString::number(list->currentIndex());
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return QString::number(box->isChecked());
    if (auto* field = qobject_cast<QLineEdit*>(control))
        return field->text();
    return u"no such setting"_s;
}

const QStringList kProbed{u"destination/width"_s, u"destination/cx"_s, u"destination/projection"_s,
    u"destination/interpolation"_s, u"destination/grid"_s, u"destination/gridR"_s, u"destination/gridTheta"_s,
    u"layout/format"_s, u"layout/frame"_s, u"dialogs/folder"_s, u"canopy/txtRings"_s, u"canopy/txtGamma"_s,
    u"canopy/cmbChannel"_s, u"light/chkMirrored"_s, u"light/cmbSky"_s, u"light/txtLatitude"_s, u"light/txtFrom"_s,
    u"light/txtTo"_s, u"light/taken"_s};

// Every probed setting away from its start value, as the user would set it.
void changeEverything(AreaApp& app)
{
    ui::WindowRegistry& windows = app.app.windows();
    DstW = 300;
    DstPrm.Cx = 120.5;
    DstPrm.Proj = 2;
    Interp = 1;
    GridOn = false;
    GridR = 5;
    GridTheta = 1;
    windows.frmFormat().parentWidget()->move(37, 0);
    windows.frmMain().resize(700, 500);
    windows.frmMain().cdl().FileName = QDir::tempPath() + u"/sky.jpg"_s;
    ui::CanopyWindow& canopy = windows.frmCanopy();
    canopy.form().txtRings()->setValue(canopy.form().txtRings()->value() + 2);
    canopy.form().txtGamma()->setValue(1.7);
    canopy.form().cmbChannel()->setCurrentIndex(canopy.form().cmbChannel()->count() - 1);
    auto* mirrored = canopy.lightForm().findChild<QCheckBox*>(u"chkMirrored"_s);
    mirrored->setChecked(!mirrored->isChecked());
    auto* sky = canopy.lightForm().findChild<QComboBox*>(u"cmbSky"_s);
    sky->setCurrentIndex(sky->count() - 1);
    const QList<std::pair<QString, QString>> typed{{u"txtLatitude"_s, u"47.5"_s}, {u"txtLongitude"_s, u"8.25"_s},
        {u"txtUtcOffset"_s, u"+1"_s}, {u"txtFrom"_s, u"2021-06-01"_s}, {u"txtTo"_s, u"2021-06-30"_s}};
    for (const auto& [name, text] : typed) {
        QLineEdit* field = canopy.lightForm().field(name);
        field->setText(text);
        emit field->editingFinished();
    }
}

QMap<QString, QString> probeAll(AreaApp& app)
{
    QMap<QString, QString> values;
    for (const QString& key : kProbed)
        values.insert(key, probe(app, key));
    return values;
}

} // namespace

class TestStoredSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file_;
    QMap<QString, QString> start_; // without kept settings

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        AreaApp app;
        start_ = probeAll(app);
    }

    void init()
    {
        file_ = dir_.filePath(u"karwen.ini"_s);
        QFile::remove(file_);
        ui::keepSettingsInFile(file_);
    }

    void cleanup() { ui::keepNoSettings(); }

    void everyKeptValueSurvivesARestart()
    {
        QMap<QString, QString> changed;
        {
            AreaApp app;
            changeEverything(app);
            changed = probeAll(app);
        }
        for (const QString& key : kProbed)
            QVERIFY2(changed.value(key) != start_.value(key), qPrintable(key));
        AreaApp again;
        QCOMPARE(probeAll(again), changed);
        QVERIFY(again.dialogs.messages.isEmpty());
        // The dialog shows the kept destination.
        QCOMPARE(again.app.windows().frmFormat().findChild<QComboBox*>(u"cmbD"_s)->currentIndex(), 2);
    }

    // A crash loses no more than the last moment: values are written while
    // the program runs.
    void aChangeIsWrittenWhileRunning()
    {
        AreaApp app;
        DstW = 320;
        QTRY_COMPARE_WITH_TIMEOUT(
            QSettings(file_, QSettings::IniFormat).value(u"destination/width"_s).toString(), u"320"_s, 3000);
    }

    void damagedValuesFallBackOneByOne_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("damaged");
        // One refused value per field: the edges of its rule are tests/app's.
        QTest::newRow("width too large") << u"destination/width"_s << u"99999"_s;
        QTest::newRow("centre negative") << u"destination/cx"_s << u"-4"_s;
        QTest::newRow("projection unknown") << u"destination/projection"_s << u"99"_s;
        QTest::newRow("interpolation negative") << u"destination/interpolation"_s << u"-1"_s;
        QTest::newRow("grid not a yes or no") << u"destination/grid"_s << u"maybe"_s;
        QTest::newRow("grid spacing unknown") << u"destination/gridR"_s << u"7"_s;
        QTest::newRow("place far off") << u"layout/format"_s << u"@Point(999999 0)"_s;
        QTest::newRow("place not a point") << u"layout/format"_s << u"left"_s;
        QTest::newRow("frame not a geometry") << u"layout/frame"_s << u"@ByteArray(garbage)"_s;
        QTest::newRow("rings out of range") << u"canopy/txtRings"_s << u"100000"_s;
        QTest::newRow("gamma not a number") << u"canopy/txtGamma"_s << u"bright"_s;
        QTest::newRow("channel unknown") << u"canopy/cmbChannel"_s << u"42"_s;
        QTest::newRow("mirrored not a yes or no") << u"light/chkMirrored"_s << u"2"_s;
    }

    void damagedValuesFallBackOneByOne()
    {
        QFETCH(QString, key);
        QFETCH(QString, damaged);
        {
            // A hand-edited file: the damaged value beside good ones.
            QFile file(file_);
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QString group = key.section(u'/', 0, 0);
            const QString good = group == u"destination"_s ? u"height=200\ngridTheta=2\n"_s : QString();
            file.write(
                (u"[%1]\n%2=%3\n%4"_s.arg(group, key.section(u'/', 1), damaged, good) + u"[destination]\nr=99\n"_s)
                    .toUtf8());
        }
        AreaApp app;
        QCOMPARE(probe(app, key), start_.value(key));
        QCOMPARE(DstPrm.R, 99.0);
        if (key.startsWith(u"destination/"_s)) {
            QCOMPARE(DstH, 200);
            QCOMPARE(GridTheta, int16_t(2));
        }
        QVERIFY(app.dialogs.messages.isEmpty()); // no "Illegal Value" box
    }

    void resetSettingsRestoresStartValuesAndEmptiesTheFile()
    {
        QSettings(file_, QSettings::IniFormat).setValue(u"recentFiles"_s, QStringList{u"/photos/sky.jpg"_s});
        {
            AreaApp app;
            changeEverything(app);
        }
        AreaApp app;
        QVERIFY(probe(app, u"destination/width"_s) != start_.value(u"destination/width"_s));
        // No keeps everything.
        app.dialogs.answers = {false};
        app.menu("mnuHelpResetSettings");
        QCOMPARE(app.dialogs.questions.size(), 1);
        QVERIFY(probe(app, u"destination/width"_s) != start_.value(u"destination/width"_s));

        app.dialogs.answers = {true};
        app.menu("mnuHelpResetSettings");
        QCOMPARE(probeAll(app), start_);
        QSettings file(file_, QSettings::IniFormat);
        QCOMPARE(file.allKeys(), QStringList{u"recentFiles"_s});
        QCOMPARE(app.app.frmMain().item(u"mnuHelpResetSettings"_s)->text(), u"Reset settings(&R)"_s);
    }

    void batchDialogKeepsItsFoldersAndOptions()
    {
        QTemporaryDir photos, results;
        QVERIFY(test::writeDiscImage(photos, u"a.bmp"_s) != QString());
        AreaApp app;
        {
            ui::BatchDialog dialog(&app.app.frmMain());
            ui::keepBatchDialogSettings(dialog);
            dialog.useFolders(photos.path(), results.path());
            dialog.findChild<QLineEdit*>(u"txtpostfix"_s)->setText(u"-flat"_s);
            dialog.findChild<QComboBox*>(u"cmbF"_s)->setCurrentIndex(0);
            auto* find = dialog.findChild<QCheckBox*>(u"chkFindCircle"_s);
            find->setChecked(!find->isChecked());
            dialog.findChild<QLineEdit*>(u"txtCsv"_s)->setText(results.filePath(u"plot.csv"_s));
            dialog.findChild<QCheckBox*>(u"chkSaveSky"_s)->setChecked(true);
            dialog.findChild<QLineEdit*>(u"txtSkyFolder"_s)->setText(results.filePath(u"skies"_s));
            auto* decode = dialog.findChild<QCheckBox*>(u"chkDecodeScaled"_s);
            QVERIFY(decode->isChecked()); // as convert's --decode auto
            decode->setChecked(false);
            dialog.done(QDialog::Rejected);
        }
        const auto shown = [&app](const auto& check) {
            ui::BatchDialog dialog(&app.app.frmMain());
            ui::keepBatchDialogSettings(dialog);
            check(dialog);
        };
        shown([&](ui::BatchDialog& dialog) {
            QCOMPARE(dialog.findChild<QLineEdit*>(u"txtFolderS"_s)->text(), photos.path());
            QCOMPARE(dialog.findChild<QLineEdit*>(u"txtFolderD"_s)->text(), results.path());
            QCOMPARE(dialog.findChild<QLineEdit*>(u"txtpostfix"_s)->text(), u"-flat"_s);
            QCOMPARE(dialog.OutExt(), u"bmp"_s);
            QVERIFY(!dialog.findChild<QCheckBox*>(u"chkDecodeScaled"_s)->isChecked());
            QCOMPARE(dialog.findChild<QListWidget*>(u"lstS"_s)->count(), 1); // the kept folder is listed
            QCOMPARE(dialog.findChild<QLineEdit*>(u"txtCsv"_s)->text(), results.filePath(u"plot.csv"_s));
            QVERIFY(dialog.findChild<QCheckBox*>(u"chkSaveSky"_s)->isChecked());
            QCOMPARE(dialog.findChild<QLineEdit*>(u"txtSkyFolder"_s)->text(), results.filePath(u"skies"_s));
        });
        // A folder gone since: the dialog's own start folder instead.
        const QString gone = results.path();
        QVERIFY(results.remove());
        shown([&](ui::BatchDialog& dialog) {
            QCOMPARE(dialog.findChild<QLineEdit*>(u"txtFolderS"_s)->text(), photos.path());
            QVERIFY(dialog.findChild<QLineEdit*>(u"txtFolderD"_s)->text() != gone);
        });
    }

    // Before the canopy window is made, the dialog measures with the kept
    // settings it would start with; once made, with those it holds.
    void batchDialogMeasuresWithTheCanopyWindowsSettings()
    {
        {
            AreaApp app;
            changeEverything(app);
        }
        AreaApp app;
        ui::WindowRegistry& windows = app.app.windows();
        QVERIFY(!windows.canopyIfLoaded());
        ui::BatchDialog dialog(&windows.frmMain());
        ui::giveCanopySettings(dialog, windows);
        const canopy::CanopySettings kept = dialog.canopySettings();
        QVERIFY(kept.rings != canopy::CanopySettings{}.rings);
        const ui::CanopyWindow& canopy = windows.frmCanopy();
        const canopy::CanopySettings made = canopy.form().settings();
        QCOMPARE(kept.rings, made.rings);
        QCOMPARE(kept.gamma, made.gamma);
        QCOMPARE(kept.channel, made.channel);
        QCOMPARE(dialog.lightRequest().has_value(), canopy.lightForm().request().has_value());

        canopy.form().txtRings()->setValue(3);
        auto* light = canopy.lightForm().chkLight();
        light->setChecked(true);
        ui::giveCanopySettings(dialog, windows);
        QCOMPARE(dialog.canopySettings().rings, 3);
        QVERIFY(dialog.lightRequest().has_value());
        QCOMPARE(dialog.lightRequest()->settings.site.latitudeDeg, 47.5);
    }

    // A kept lens outlasts the reset to "Equidistant" that opening a photo
    // does, and the status bar and the canopy notes say it is in use.
    void keptLensSurvivesOpeningAPhoto()
    {
        const NamedLens& builtIn = builtInLenses().front();
        {
            AreaApp app;
            SrcLens = builtIn;
            SrcPrm.Proj = RixLensSource;
        }
        AreaApp app;
        QCOMPARE(SrcPrm.Proj, RixLensSource);
        QVERIFY(app.open(test::writeDiscImage(dir_, u"disc.bmp"_s)));
        QCOMPARE(SrcPrm.Proj, RixLensSource);
        QCOMPARE(SrcLens->name, builtIn.name);
        const QString name = QString::fromStdString(builtIn.name);
        QCOMPARE(app.app.frmMain().circleState(), u"Read through the lens \"%1\""_s.arg(name));
        app.menu("mnuCanopy");
        const QString notes = app.app.windows().frmCanopy().notes();
        QVERIFY2(notes.contains(u"The photo is read through the lens \"%1\" kept from the last run."_s.arg(name)),
            qPrintable(notes));
    }

    // A file naming where its figures come from is kept by its path too.
    void keptLensFileIsReadAgainOrDropped_data()
    {
        QTest::addColumn<QString>("sourceLine");
        QTest::newRow("no source") << QString();
        QTest::newRow("own source") << u"source: calibrated on the bench, 2026\n"_s;
    }

    void keptLensFileIsReadAgainOrDropped()
    {
        QFETCH(QString, sourceLine);
        const QString path = dir_.filePath(u"wide.lens"_s);
        const double cubic = (1.0 - 0.8 * M_PI / 2) / std::pow(M_PI / 2, 3);
        QVERIFY(test::writeFile(path,
            (u"name: wide-test\nhalf_fov: 100\na1: 0.8\na3: %1\n"_s.arg(cubic, 0, 'g', 17) + sourceLine).toUtf8()));
        {
            AreaApp app;
            std::string why;
            SrcLens = readLensFile(path.toStdString(), &why);
            QVERIFY(SrcLens);
            SrcPrm.Proj = RixLensSource;
        }
        {
            AreaApp app;
            QCOMPARE(SrcPrm.Proj, RixLensSource);
            QCOMPARE(SrcLens->name, std::string("wide-test"));
        }
        QVERIFY(QFile::remove(path));
        AreaApp app;
        QVERIFY(SrcPrm.Proj != RixLensSource);
        QVERIFY(!SrcLens);
        QCOMPARE(app.app.frmMain().statusBar()->currentMessage(),
            u"The lens file \"%1\" kept from the last run cannot be read; it was dropped."_s.arg(path));
        QVERIFY(app.dialogs.messages.isEmpty());
    }

    void keptThresholdIsNamedInTheCanopyNotes()
    {
        {
            AreaApp app;
            app.app.windows().frmCanopy().form().setFixedThreshold(117);
        }
        AreaApp app;
        QVERIFY(app.open(test::writeDiscImage(dir_, u"disc.bmp"_s)));
        app.menu("mnuCanopy");
        ui::CanopyWindow& canopy = app.app.windows().frmCanopy();
        const QString note = u"The fixed threshold 117 is the one kept from the last run."_s;
        QVERIFY2(canopy.notes().contains(note), qPrintable(canopy.notes()));
        canopy.form().setFixedThreshold(118); // the user's own now
        QVERIFY(!canopy.notes().contains(u"kept from the last run"_s));
    }

    // Without a chosen place nothing is read or written: the other suites
    // start from the start values.
    void nothingIsKeptWithoutAPlace()
    {
        ui::keepNoSettings();
        {
            AreaApp app;
            changeEverything(app);
        }
        QVERIFY(!QFile::exists(file_));
        AreaApp again;
        QCOMPARE(probeAll(again), start_);
    }
};

QTEST_MAIN(TestStoredSettings)
#include "tst_stored_settings.moc"
