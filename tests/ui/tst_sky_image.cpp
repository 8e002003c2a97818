// The Canopy window's sky image and its histogram: "Save sky image..."
// writes the very bytes the command line's --save-classified writes for the
// same photo and settings, and never over the photo (tst_canopy_window shows
// it is not offered without figures); a click on the histogram sets a fixed
// threshold there, and the figures follow.
#include "area_app_fixture.h"
#include "canopy_figure_table.h"
#include "canopy_settings_form.h"
#include "value_histogram.h"

using namespace karwen;
using namespace Qt::StringLiterals;
using Column = ui::CanopyFigureTable::Column;

Q_DECLARE_METATYPE(QStringList)

class TestSkyImage : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        photo_ = dir_.filePath(u"allsky_day.jpg"_s);
        QFile::remove(photo_);
        QVERIFY(QFile::copy(QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg"), photo_));
        app_ = std::make_unique<test::AreaApp>();
    }
    void cleanup() { app_.reset(); }

    void savesTheCommandLinesBytes_data()
    {
        QTest::addColumn<QStringList>("options");
        // The window's settings reach the image (the form's own mapping is
        // tst_canopy_window's).
        QTest::newRow("the defaults") << QStringList{};
        QTest::newRow("a fixed threshold") << QStringList{u"--threshold"_s, u"40"_s};
    }
    void savesTheCommandLinesBytes()
    {
        QFETCH(QStringList, options);
        ui::CanopyWindow& canopy = app_->openCanopy(photo_);
        if (!options.isEmpty())
            canopy.form().setFixedThreshold(options[1].toInt());
        QVERIFY(canopy.cmdSaveSky()->isEnabled());
        // A folder of its own for each row: nothing there is replaced.
        const QString row = dir_.filePath(QString::number(++rows_));
        QVERIFY(QDir().mkpath(row));
        const QString saved = row + u"/window.png"_s;
        app_->dialogs.files = {saved};
        canopy.cmdSaveSky()->click();
        const ui::FileDialogRequest& request = app_->dialogs.requests.back();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Save);
        QCOMPARE(request.fileName, dir_.filePath(u"allsky_day-sky.png"_s));
        QCOMPARE(request.defaultSuffix, u"png"_s);
        QVERIFY(app_->dialogs.messages.isEmpty());
        QVERIFY(canopy.notes().contains(u"Sky image saved as window.png."_s));

        const QString folder = row + u"/cli"_s;
        QCOMPARE(test::runCli(QStringList{u"measure"_s, u"-q"_s, u"--csv"_s, row + u"/figures.csv"_s,
                                  u"--save-classified"_s, folder}
                     + options + QStringList{photo_}),
            0);
        const QByteArray window = test::readFile(saved);
        QVERIFY(window.startsWith("\x89PNG"));
        QVERIFY(window == test::readFile(folder + u"/allsky_day-sky.png"_s));
    }

    // Chosen anyway, the photo itself is refused, and stays as it was.
    void neverOverThePhoto()
    {
        ui::CanopyWindow& canopy = app_->openCanopy(photo_);
        const QByteArray before = test::readFile(photo_);
        app_->dialogs.files = {photo_};
        app_->dialogs.answers = {true}; // "already exists. Do you want to replace it?"
        canopy.cmdSaveSky()->click();
        QCOMPARE(test::readFile(photo_), before);
        QCOMPARE(app_->dialogs.messages.size(), 1);
        QVERIFY2(app_->dialogs.messages[0].contains(u"this is the photo you opened"_s),
            qPrintable(app_->dialogs.messages[0]));
        QVERIFY(canopy.notes().contains(u"No sky image saved."_s));
    }

    void aClickOnTheHistogramSetsAFixedThreshold()
    {
        ui::CanopyWindow& canopy = app_->openCanopy(photo_);
        ui::ValueHistogram& histogram = canopy.histogram();
        QVERIFY(histogram.width() > 256 / 4);
        QCOMPARE(canopy.tracker().settings().method, canopy::ThresholdMethod::Otsu);
        const int otsu = canopy.tracker().pixels()->threshold;
        const int wanted = otsu + 40;
        int x = 0;
        while (x < histogram.width() && histogram.valueAt(x) < wanted)
            ++x;
        const int value = histogram.valueAt(x);
        QVERIFY(std::abs(value - wanted) <= 1);
        QTest::mouseClick(&histogram, Qt::LeftButton, {}, QPoint(x, histogram.height() / 2));

        // The form shows it as if it had been typed, and the figures follow
        // (a typed threshold's figures are tst_canopy_window's).
        QCOMPARE(canopy.form().cmbMethod()->currentIndex(), int(canopy::ThresholdMethod::Fixed));
        QVERIFY(canopy.form().txtThreshold()->isEnabled());
        QCOMPARE(canopy.form().txtThreshold()->value(), value);
        QCOMPARE(canopy.tracker().pixels()->threshold, value);
        QCOMPARE(histogram.threshold(), value);
        QCOMPARE(canopy.table().text(u"threshold"_s, Column::kPixels), QString::number(value));
    }

private:
    QTemporaryDir dir_;
    QString photo_;
    int rows_ = 0;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestSkyImage)
#include "tst_sky_image.moc"
