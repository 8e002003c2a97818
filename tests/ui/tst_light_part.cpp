// frmCanopy's Light tab in the running program: the figures of the
// fields' request in the table, light waiting for a site
// and a period, values refused with their reason and the figures kept, a
// polar night's figures that do not exist, the exported row against the
// command line's, the sun tracks on the source view and the drag of their
// N, the polar plot turned to true north, and how the fields read text.
#include "area_app_fixture.h"
#include "canopy_csv.h"
#include "canopy_settings_form.h"
#include "gap_polar_plot.h"
#include "image_row.h"
#include "light_field_text.h"
#include "light_figure_table.h"
#include "light_settings_form.h"
#include "sun_track_layer.h"
#include "sun_track_marks.h"

#include <cmath>

using namespace karwen;
using namespace Qt::StringLiterals;
using test::pixelsOfColour;
using test::throughFoundCircle;

namespace {

const QString kDash = u"\u2013"_s;

// The settings the fields start at, given the site and period below.
canopy::LightRequest summerAt50North()
{
    canopy::LightRequest request;
    request.settings.site = {50.0, 10.0, 0.0, 1.0};
    request.settings.period = {{2021, 5, 1}, {2021, 9, 30}};
    return request;
}

// Types into a field and confirms it with Enter.
void enter(QLineEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
    if (text.isEmpty())
        field->clear();
    QTest::keyClick(field, Qt::Key_Return);
}

void expectSame(const light::LightFigures& a, const light::LightFigures& b)
{
    const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    QVERIFY(same(a.dsf, b.dsf) && same(a.isf, b.isf) && same(a.tsf, b.tsf));
    QVERIFY(same(a.transDirect, b.transDirect) && same(a.transTotal, b.transTotal));
    QVERIFY(same(a.belowTotal, b.belowTotal) && same(a.belowPar, b.belowPar));
    QVERIFY(same(a.directSunHours, b.directSunHours) && same(a.h0, b.h0));
    QVERIFY(same(a.beamCoverage, b.beamCoverage) && same(a.diffuseCoverage, b.diffuseCoverage));
}

} // namespace

class TestLightPart : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        app_ = std::make_unique<test::AreaApp>();
    }
    void cleanup() { app_.reset(); }

    // The fields make the request; the figures are the tracker's (tests/canopy
    // holds them against the library's, exportedRowIsTheCommandLines against
    // the command line's), shown to their decimals.
    void tableShowsTheFiguresOfTheFieldsRequest()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        switchOn(canopy.lightForm());
        const auto& light = canopy.tracker().light();
        QVERIFY(light.has_value());
        QCOMPARE(light->request, summerAt50North());
        const light::LightFigures& shown = light->figures;
        const ui::LightFigureTable& table = canopy.lightTable();
        QCOMPARE(table.text(u"DSF"_s), QString::number(shown.dsf, 'f', 3));
        QCOMPARE(table.text(u"trans total"_s), QString::number(shown.transTotal, 'f', 1));
        QCOMPARE(table.text(u"below PAR"_s), QString::number(shown.belowPar, 'f', 2));
        QCOMPARE(table.text(u"direct sun hours"_s), QString::number(shown.directSunHours, 'f', 2));
        QCOMPARE(table.text(u"H0"_s), QString::number(shown.h0, 'f', 2));
        QVERIFY(shown.dsf > 0.0 && shown.dsf < 1.0);
        for (const QString& name : table.names())
            QVERIFY2(table.text(name) != kDash && table.nameTip(name).size() > 20, qPrintable(name));

        // A threshold of the canopy settings reaches the light's table.
        const QString dsf = table.text(u"DSF"_s);
        canopy.form().cmbMethod()->setCurrentIndex(int(canopy::ThresholdMethod::Fixed));
        canopy.form().txtThreshold()->setValue(200);
        QVERIFY(table.text(u"DSF"_s) != dsf);
    }

    void lightWaitsForTheSiteAndThePeriod()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        ui::LightSettingsForm& form = canopy.lightForm();
        QLineEdit* latitude = form.field(u"txtLatitude"_s);
        QVERIFY(!form.lightOn());
        QVERIFY(form.problemOf(latitude).isEmpty()); // not asked for while off
        form.chkLight()->setChecked(true);
        QCOMPARE(form.problemOf(latitude), u"Give the site's latitude."_s);
        QVERIFY(!canopy.tracker().light());
        for (const QString& name : canopy.lightTable().names())
            QCOMPARE(canopy.lightTable().text(name), kDash);
        QVERIFY(canopy.notes().contains(u"give the site and the period on the Light tab"_s));

        switchOn(form);
        QVERIFY(form.problemOf(latitude).isEmpty());
        QVERIFY(canopy.lightTable().text(u"DSF"_s) != kDash);
        // Off again: no figures, dashes rather than zeros.
        form.chkLight()->setChecked(false);
        QVERIFY(!canopy.tracker().light());
        QCOMPARE(canopy.lightTable().text(u"below total"_s), kDash);
    }

    void badValuesShowWhyAndKeepTheFigures_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("why");
        QTest::newRow("latitude 95") << u"txtLatitude"_s << u"95"_s
                                     << u"The latitude must lie from -90 to 90 degrees."_s;
        QTest::newRow("no number") << u"txtLongitude"_s << u"ten"_s << u"\u201Cten\u201D is not a number."_s;
        QTest::newRow("a day that does not exist")
            << u"txtFrom"_s << u"2021-02-29"_s << u"The period's first day 2021-02-29 does not exist."_s;
        QTest::newRow("a last day that does not exist")
            << u"txtTo"_s << u"2021-09-31"_s << u"The period's last day 2021-09-31 does not exist."_s;
        QTest::newRow("not a day") << u"txtFrom"_s << u"1.5.2021"_s << u"Write the day as YYYY-MM-DD, as 2021-05-01."_s;
        QTest::newRow("last day first") << u"txtTo"_s << u"2021-04-30"_s
                                        << u"The period's last day 2021-04-30 comes before its first day 2021-05-01."_s;
        QTest::newRow("time step 7") << u"txtTimeStep"_s << u"7"_s
                                     << u"The time step must lie from 1 to 60 minutes and divide a day of 1440 "
                                        u"minutes."_s;
        QTest::newRow("time step 7.5") << u"txtTimeStep"_s << u"7.5"_s << u"Give a whole number."_s;
        QTest::newRow("Kt 0") << u"txtKt"_s << u"0"_s << u"The clearness index must be above 0 and at most 1."_s;
        QTest::newRow("offset of 20 minutes")
            << u"txtUtcOffset"_s << u"+1:20"_s
            << u"The time zone must lie from -12 to 14 hours from UTC in whole quarter hours."_s;
        QTest::newRow("top azimuth 400") << u"txtTopAzimuth"_s << u"400"_s
                                         << u"The top azimuth must lie from 0 to 360 degrees."_s;
        QTest::newRow("declination 95 W")
            << u"txtDeclination"_s << u"95 W"_s << u"The declination must lie from -90 to 90 degrees."_s;
        QTest::newRow("no elevation") << u"txtElevation"_s << u""_s << u"Give the elevation."_s;
    }
    void badValuesShowWhyAndKeepTheFigures()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, why);
        ui::CanopyWindow& canopy = app_->openCanopy();
        ui::LightSettingsForm& form = canopy.lightForm();
        switchOn(form);
        const QStringList names = canopy.lightTable().names();
        QStringList before;
        for (const QString& name : names)
            before << canopy.lightTable().text(name);
        const canopy::LightRequest kept = canopy.tracker().light()->request;
        QSignalSpy changes(&form, &ui::LightSettingsForm::changed);

        QLineEdit* edit = form.field(field);
        const QString good = edit->text();
        enter(edit, text);
        QCOMPARE(form.problemOf(edit), why);
        QVERIFY(form.findChild<QLabel*>(u"lblWhy"_s + field.mid(3))->isVisibleTo(&form));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(canopy.tracker().light()->request, kept);
        for (int k = 0; k < names.size(); ++k)
            QCOMPARE(canopy.lightTable().text(names[k]), before[k]);

        // Put right, the reason goes; nothing else changed, so neither did the figures.
        enter(edit, good);
        QVERIFY(form.problemOf(edit).isEmpty());
        QVERIFY(!form.findChild<QLabel*>(u"lblWhy"_s + field.mid(3))->isVisibleTo(&form));
        QCOMPARE(canopy.tracker().light()->request, kept);
    }

    // North of the arctic circle in December the sun never rises: the
    // figures of the beam do not exist, the diffuse ones do.
    void aPolarNightHasNoBeamFigures()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        ui::LightSettingsForm& form = canopy.lightForm();
        switchOn(form);
        enter(form.field(u"txtLatitude"_s), u"80"_s);
        enter(form.field(u"txtFrom"_s), u"2021-12-01"_s);
        enter(form.field(u"txtTo"_s), u"2021-12-31"_s);
        const ui::LightFigureTable& table = canopy.lightTable();
        for (const char* name : {"DSF", "TSF", "trans direct", "trans total"})
            QCOMPARE(table.text(QLatin1String(name)), kDash);
        QVERIFY(table.text(u"ISF"_s) != kDash);
        QCOMPARE(table.text(u"sun hours"_s), u"0.00"_s);
        QVERIFY(canopy.notes().contains(u"The sun does not rise in the period"_s));
    }

    // With the dots classified by the threshold, the window's row is the
    // one measure writes for the same photo, circle and settings.
    void exportedRowIsTheCommandLines()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        switchOn(canopy.lightForm());
        canopy.cmdClassify()->click();
        const test::Csv csv = app_->exportCanopy(canopy, dir_.filePath(u"light.csv"_s));
        QVERIFY(app_->dialogs.messages.isEmpty());

        const canopy::LightRequest request = summerAt50North();
        canopy::CanopyRow measured = canopy::measurePhoto(
            SrcFile, hSrc, throughFoundCircle(), nullptr, DstPrm, DstW, DstH, canopy.tracker().settings(), &request);
        measured.circle = canopy::CircleOrigin::Detected;
        QVERIFY(measured.light.has_value());
        expectSame(canopy.tracker().light()->figures, measured.light->figures);
        QCOMPARE(csv.rows.size(), 1);
        QCOMPARE(csv.rows[0].join(u','), QString::fromStdString(canopy::csvRow(measured)));
    }

    void sunTracksShowOnlyWhenChecked()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        ui::LightSettingsForm& form = canopy.lightForm();
        switchOn(form);
        views::SrcView* src = app_->app.windows().srcIfLoaded();
        const QRgb track = views::SunTrackLayer::kTrackColour;
        QCOMPARE(pixelsOfColour(src->canvas(), track), 0);
        QVERIFY(!src->circleTool().compassMark(views::kNorth));

        form.chkSunTracks()->setChecked(true);
        QVERIFY(pixelsOfColour(src->canvas(), track) > 200);
        QVERIFY(src->circleTool().compassMark(views::kNorth).has_value());
        QVERIFY(canopy.notes().contains(u"Sun tracks of 2021-05-01, 2021-05-21, 2021-06-21, 2021-07-16, "
                                        u"2021-07-21, 2021-08-21, 2021-09-21, 2021-09-30; hour marks in local "
                                        u"standard time (UTC+1)."_s));
        // The tracks need the site and the period, not the figures.
        form.chkLight()->setChecked(false);
        QVERIFY(pixelsOfColour(src->canvas(), track) > 200);

        form.chkSunTracks()->setChecked(false);
        QCOMPARE(pixelsOfColour(src->canvas(), track), 0);
        QVERIFY(!src->circleTool().compassMark(views::kNorth));
        // Hidden with the window.
        form.chkSunTracks()->setChecked(true);
        canopy.hide();
        QCOMPARE(pixelsOfColour(src->canvas(), track), 0);
    }

    // The N dragged a quarter turn clockwise on the screen stands at the
    // photo's right: the photo's top then points east.
    void draggingTheNorthMarkSetsTheTopAzimuth()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        ui::LightSettingsForm& form = canopy.lightForm();
        switchOn(form);
        form.chkSunTracks()->setChecked(true);
        views::SrcView* src = app_->app.windows().srcIfLoaded();
        QWidget* picture = src->picture();
        const views::CircleTool& tool = src->circleTool();
        const QPointF north = *tool.compassMark(views::kNorth);
        const QPointF centre = tool.circleCentre();
        QVERIFY(north.y() < centre.y() - tool.circleRadius()); // above the rim
        const double dsf = canopy.tracker().light()->figures.dsf;

        // 7 px beside the N takes nothing.
        const QPoint beside = (north + QPointF(7, 0)).toPoint();
        QTest::mousePress(picture, Qt::LeftButton, {}, beside);
        QCOMPARE(int(tool.dragMode()), int(views::CircleTool::None));
        QTest::mouseMove(picture, (centre + QPointF(200, 0)).toPoint());
        QTest::mouseRelease(picture, Qt::LeftButton, {}, (centre + QPointF(200, 0)).toPoint());
        QCOMPARE(form.field(u"txtTopAzimuth"_s)->text(), u"0"_s);

        const QPoint on = north.toPoint();
        const QPoint right = (centre + QPointF(centre.y() - north.y(), 0.0)).toPoint();
        QTest::mousePress(picture, Qt::LeftButton, {}, on);
        QCOMPARE(int(tool.dragMode()), int(views::CircleTool::North));
        QTest::mouseMove(picture, (centre + QPointF(80, -80)).toPoint());
        QTest::mouseMove(picture, right);
        QTest::mouseRelease(picture, Qt::LeftButton, {}, right);
        const double top = form.field(u"txtTopAzimuth"_s)->text().toDouble();
        QVERIFY2(std::abs(top - 90.0) < 1.0, qPrintable(form.field(u"txtTopAzimuth"_s)->text()));
        QCOMPARE(canopy.tracker().light()->request.orientation.topAzimuthDeg, top);
        QVERIFY(canopy.tracker().light()->figures.dsf != dsf);
        // Drawn again at its new place, under where it was let go.
        const QPointF now = *tool.compassMark(views::kNorth);
        QVERIFY2(QLineF(now, QPointF(right)).length() < 4.0, qPrintable(u"%1, %2"_s.arg(now.x()).arg(now.y())));
    }

    void polarPlotTurnsToTrueNorth_data()
    {
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("declination");
        QTest::addColumn<bool>("mirrored");
        QTest::addColumn<double>("tilt");
        QTest::addColumn<double>("skyBearing"); // where sector 1 lands
        // Sector 1 spans azimuths 0 to 45 degrees from the photo's right.
        QTest::newRow("top north") << 0.0 << 0.0 << false << 0.0 << 292.5;
        QTest::newRow("top east") << 90.0 << 0.0 << false << 0.0 << 22.5;
        QTest::newRow("top by the compass, declination east") << 80.0 << 10.0 << false << 0.0 << 22.5;
        QTest::newRow("mirrored") << 0.0 << 0.0 << true << 0.0 << 67.5;
        QTest::newRow("tilted 45") << 0.0 << 0.0 << false << 45.0 << 337.5;
    }
    void polarPlotTurnsToTrueNorth()
    {
        QFETCH(double, top);
        QFETCH(double, declination);
        QFETCH(bool, mirrored);
        QFETCH(double, tilt);
        QFETCH(double, skyBearing);
        ui::GapPolarPlot plot;
        plot.resize(320, 260);
        std::vector<double> gaps(8, 0.0);
        gaps[0] = 1.0;
        plot.setGaps(1, 8, 90.0, gaps);
        plot.setOrientation({top, declination, mirrored}, tilt);
        const QImage drawn = plot.grab().toImage();
        for (double bearing = 22.5; bearing < 360.0; bearing += 45.0)
            QCOMPARE(drawn.pixelColor(plot.skyPoint(bearing, 60.0).toPoint()),
                ui::GapPolarPlot::gapColour(bearing == skyBearing ? 1.0 : 0.0));
    }

    void theWindowsPlotFollowsTheOrientation()
    {
        ui::CanopyWindow& canopy = app_->openCanopy();
        const QImage before = canopy.plot().grab().toImage();
        enter(canopy.lightForm().field(u"txtTopAzimuth"_s), u"90"_s);
        QVERIFY(canopy.plot().grab().toImage() != before);
        enter(canopy.lightForm().field(u"txtTopAzimuth"_s), u"0"_s);
        QCOMPARE(canopy.plot().grab().toImage(), before);
    }

    void trackDaysAreTheSeasonsMarks()
    {
        using light::Date;
        const auto days = [](light::Period p) {
            QStringList texts;
            for (const Date& d : ui::trackDays(p))
                texts << QString::fromStdString(light::dateText(d));
            return texts.join(u' ');
        };
        QCOMPARE(days({{2021, 5, 1}, {2021, 9, 30}}),
            u"2021-05-01 2021-05-21 2021-06-21 2021-07-16 2021-07-21 2021-08-21 2021-09-21 2021-09-30"_s);
        QCOMPARE(days({{2021, 6, 21}, {2021, 6, 21}}), u"2021-06-21"_s);
        QCOMPARE(days({{2021, 12, 22}, {2022, 1, 20}}), u"2021-12-22 2022-01-05 2022-01-20"_s);
        // Over two years each month's 21st once, the first.
        QCOMPARE(ui::trackDays({{2020, 1, 1}, {2021, 12, 31}}).size(), std::size_t(3 + 12));
    }

    void topAzimuthPutsNorthWhereTheNWasLeft_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("declination");
        QTest::addColumn<bool>("mirrored");
        QTest::addColumn<double>("top");
        QTest::newRow("N at the top") << 90.0 << 0.0 << false << 0.0;
        QTest::newRow("N at the right") << 0.0 << 0.0 << false << 90.0;
        QTest::newRow("N at the left") << 180.0 << 0.0 << false << 270.0;
        QTest::newRow("declination east") << 90.0 << 10.0 << false << 350.0;
        QTest::newRow("mirrored, N at the right") << 0.0 << 0.0 << true << 270.0;
        QTest::newRow("an angle past a turn") << 450.0 << 0.0 << false << 0.0;
    }
    void topAzimuthPutsNorthWhereTheNWasLeft()
    {
        QFETCH(double, angle);
        QFETCH(double, declination);
        QFETCH(bool, mirrored);
        QFETCH(double, top);
        const canopy::SkyOrientation before{123.0, declination, mirrored};
        const double found = ui::topAzimuthWithNorthAt(angle, before);
        QVERIFY2(std::abs(found - top) < 1e-9, qPrintable(QString::number(found)));
        const canopy::SkyOrientation after{found, declination, mirrored};
        QVERIFY(std::abs(std::remainder(after.trueAzimuth(angle), 360.0)) < 1e-9);
    }

    void fieldsReadTheUsersWords_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value"); // NaN: refused
        const double refused = NAN;
        QTest::newRow("decimal comma") << u"latitude"_s << u"50,25"_s << 50.25;
        QTest::newRow("north") << u"latitude"_s << u" 50.5 n"_s << 50.5;
        QTest::newRow("south") << u"latitude"_s << u"33.9 S"_s << -33.9;
        QTest::newRow("sign and letter") << u"latitude"_s << u"-33.9 S"_s << refused;
        QTest::newRow("west") << u"longitude"_s << u"3.2W"_s << -3.2;
        QTest::newRow("east letter on a latitude") << u"latitude"_s << u"10 E"_s << refused;
        QTest::newRow("UTC+1") << u"offset"_s << u"UTC+1"_s << 1.0;
        QTest::newRow("hours and minutes") << u"offset"_s << u"+5:30"_s << 5.5;
        QTest::newRow("behind UTC") << u"offset"_s << u"-3:30"_s << -3.5;
        QTest::newRow("minute 75") << u"offset"_s << u"1:75"_s << refused;
        QTest::newRow("a word") << u"offset"_s << u"CET"_s << refused;
    }
    void fieldsReadTheUsersWords()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(double, value);
        const ui::Reading<double> read = kind == u"offset"_s ? ui::readUtcOffset(text)
            : kind == u"latitude"_s                          ? ui::readNumber(text, u"NS"_s)
                                                             : ui::readNumber(text, u"EW"_s);
        if (std::isnan(value)) {
            QVERIFY(std::holds_alternative<QString>(read));
            QVERIFY(!std::get<QString>(read).isEmpty());
        } else {
            QVERIFY(std::holds_alternative<double>(read));
            QCOMPARE(std::get<double>(read), value);
        }
    }

private:
    // Light on at 50 N, 10 E, UTC+1 for May to September 2021.
    void switchOn(ui::LightSettingsForm& form)
    {
        form.chkLight()->setChecked(true);
        enter(form.field(u"txtLatitude"_s), u"50"_s);
        enter(form.field(u"txtLongitude"_s), u"10"_s);
        enter(form.field(u"txtUtcOffset"_s), u"+1"_s);
        enter(form.field(u"txtFrom"_s), u"2021-05-01"_s);
        enter(form.field(u"txtTo"_s), u"2021-09-30"_s);
        QVERIFY(form.request().has_value());
    }

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;
};

QTEST_MAIN(TestLightPart)
#include "tst_light_part.moc"
