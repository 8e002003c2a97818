#include "light_settings_form.h"

#include "light_field_text.h"
#include "rounding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <array>

namespace karwen::ui {

struct LightInputs {
    light::LightSettings settings;
    canopy::SkyOrientation orientation;
};

enum class FieldKind { Number, Whole, UtcOffset, FirstDay, LastDay };

struct LightFieldRule {
    const char* name;
    const char* caption;
    const char* tip;
    const char* what; // "the latitude": "Give the latitude."
    FieldKind kind;
    const char* letters; // the hemisphere letters a number may carry
    bool required;       // empty at the start: light waits for it
    void (*apply)(LightInputs&, double);
    // Why the value alone cannot be used (the other fields valid), or "".
    std::string (*problem)(const LightInputs&);
    double (*start)(const LightInputs&);
};

namespace {

using light::LightSettings;

std::string settingsProblem(const LightInputs& in) { return light::settingsProblem(in.settings); }

std::string orientationProblem(const LightInputs& in)
{
    if (in.orientation.topAzimuthDeg < 0.0 || in.orientation.topAzimuthDeg > canopy::kMaxTopAzimuth)
        return "the top azimuth must lie from 0 to " + std::to_string(int(canopy::kMaxTopAzimuth)) + " degrees";
    if (!canopy::isValid(in.orientation))
        return "the declination must lie from -" + std::to_string(int(canopy::kMaxDeclination)) + " to "
            + std::to_string(int(canopy::kMaxDeclination)) + " degrees";
    return {};
}

std::string noProblem(const LightInputs&) { return {}; }

// The fields in the order they are laid out, two to a line.
const std::array<LightFieldRule, 17> kRules{{
    {"txtLatitude", "Latitude", "The site's latitude in degrees, north positive (or 50.1 N, 33.9 S)",
        "the site's latitude", FieldKind::Number, "NS", true,
        [](LightInputs& in, double v) { in.settings.site.latitudeDeg = v; }, settingsProblem, nullptr},
    {"txtLongitude", "Longitude", "The site's longitude in degrees, east positive (or 10.5 E, 3.2 W)",
        "the site's longitude", FieldKind::Number, "EW", true,
        [](LightInputs& in, double v) { in.settings.site.longitudeDeg = v; }, settingsProblem, nullptr},
    {"txtUtcOffset", "UTC offset",
        "Hours of local standard time ahead of UTC, never daylight saving (+1 for central Europe, -5:00 for "
        "New York); the hour marks of the sun tracks are in this time",
        "the offset of local standard time from UTC", FieldKind::UtcOffset, "", true,
        [](LightInputs& in, double v) { in.settings.site.utcOffsetHours = v; }, settingsProblem, nullptr},
    {"txtElevation", "Elevation m", "The site's height above sea level in metres; it thins the air the beam crosses",
        "the elevation", FieldKind::Number, "", false,
        [](LightInputs& in, double v) { in.settings.site.elevationM = v; }, settingsProblem,
        [](const LightInputs& in) { return in.settings.site.elevationM; }},
    {"txtFrom", "From", "The period's first day, YYYY-MM-DD", "the period's first day", FieldKind::FirstDay, "", true,
        nullptr, noProblem, nullptr},
    {"txtTo", "To", "The period's last day, YYYY-MM-DD; the figures are means per day over the period",
        "the period's last day", FieldKind::LastDay, "", true, nullptr, noProblem, nullptr},
    {"txtTopAzimuth", "Top azimuth",
        "The compass bearing the photo's top pointed to, in degrees; drag the N on the source view to set it",
        "the top azimuth", FieldKind::Number, "", false,
        [](LightInputs& in, double v) { in.orientation.topAzimuthDeg = v; }, orientationProblem,
        [](const LightInputs& in) { return in.orientation.topAzimuthDeg; }},
    {"txtDeclination", "Declination",
        "The magnetic declination at the site in degrees, east positive (or 2.5 E, 4 W): true north lies "
        "this far clockwise of the compass's north",
        "the declination", FieldKind::Number, "EW", false,
        [](LightInputs& in, double v) { in.orientation.declinationDeg = v; }, orientationProblem,
        [](const LightInputs& in) { return in.orientation.declinationDeg; }},
    {"txtTimeStep", "Step min", "Minutes between the sun's positions; it must divide a day", "the time step",
        FieldKind::Whole, "", false, [](LightInputs& in, double v) { in.settings.timeStepMin = int(v); },
        settingsProblem, [](const LightInputs& in) { return double(in.settings.timeStepMin); }},
    {"txtKt", "Kt", "The clearness index of the period: global over extraterrestrial radiation, above 0 up to 1",
        "the clearness index", FieldKind::Number, "", false, [](LightInputs& in, double v) { in.settings.kt = v; },
        settingsProblem, [](const LightInputs& in) { return in.settings.kt; }},
    {"txtRegionRings", "Sky rings", "Zenith rings of equal angle from the zenith to the horizon",
        "the number of zenith rings", FieldKind::Whole, "", false,
        [](LightInputs& in, double v) { in.settings.zenithRings = int(v); }, settingsProblem,
        [](const LightInputs& in) { return double(in.settings.zenithRings); }},
    {"txtRegionSectors", "Sectors", "Azimuth sectors of equal angle, clockwise from true north",
        "the number of azimuth sectors", FieldKind::Whole, "", false,
        [](LightInputs& in, double v) { in.settings.azimuthSectors = int(v); }, settingsProblem,
        [](const LightInputs& in) { return double(in.settings.azimuthSectors); }},
    {"txtBeamFraction", "Fraction", "The beam's share of the global radiation, 0 to 1, when fixed", "the beam fraction",
        FieldKind::Number, "", false, [](LightInputs& in, double v) { in.settings.beamFraction = v; }, settingsProblem,
        [](const LightInputs& in) { return in.settings.beamFraction; }},
    {"txtTau", "Clear-sky \u03C4",
        "The clear-sky transmission of the atmosphere, above 0 up to 1: how the beam is spread over the sun's "
        "track",
        "the clear-sky transmission", FieldKind::Number, "", false,
        [](LightInputs& in, double v) { in.settings.clearSkyTransmission = v; }, settingsProblem,
        [](const LightInputs& in) { return in.settings.clearSkyTransmission; }},
    {"txtSolarConstant", "Solar W/m\u00B2", "The solar constant in W/m\u00B2", "the solar constant", FieldKind::Number,
        "", false, [](LightInputs& in, double v) { in.settings.solarConstant = v; }, settingsProblem,
        [](const LightInputs& in) { return in.settings.solarConstant; }},
    {"txtParFraction", "PAR share", "The share of the global radiation that is PAR, 0 to 1", "the PAR fraction",
        FieldKind::Number, "", false, [](LightInputs& in, double v) { in.settings.parFraction = v; }, settingsProblem,
        [](const LightInputs& in) { return in.settings.parFraction; }},
    {"txtParPhotons", "\u00B5mol/J", "Photons of PAR per joule, in \u00B5mol/J (the same as mol/MJ)",
        "the PAR photon count", FieldKind::Number, "", false,
        [](LightInputs& in, double v) { in.settings.parPhotons = v; }, settingsProblem,
        [](const LightInputs& in) { return in.settings.parPhotons; }},
}};

bool isOrientation(const LightFieldRule& rule) { return rule.problem == orientationProblem; }

template <typename T> const T* valueOf(const Reading<T>& reading) { return std::get_if<T>(&reading); }
template <typename T> QString whyNot(const Reading<T>& reading)
{
    const QString* why = std::get_if<QString>(&reading);
    return why ? *why : QString();
}

void showReason(QLabel* reason, const QString& why)
{
    if (reason->text() != why)
        reason->setText(why);
    reason->setVisible(!why.isEmpty());
}

} // namespace

LightSettingsForm::LightSettingsForm(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmLight"));
    const LightInputs start;

    chkLight_ = new QCheckBox(QStringLiteral("Light figures"), this);
    chkLight_->setObjectName(QStringLiteral("chkLight"));
    chkLight_->setToolTip(QStringLiteral("Measure the light under the canopy for the site and the period"));
    chkSunTracks_ = new QCheckBox(QStringLiteral("Show sun tracks"), this);
    chkSunTracks_->setObjectName(QStringLiteral("chkSunTracks"));
    chkSunTracks_->setToolTip(QStringLiteral("Draw on the source view the sun's path on the first, middle and last "
                                             "day of the period and on the 21st of each month in it, with marks "
                                             "at whole hours of local standard time, and N, E, S, W at the rim"));
    chkMirrored_ = new QCheckBox(QStringLiteral("Mirrored"), this);
    chkMirrored_->setObjectName(QStringLiteral("chkMirrored"));
    chkMirrored_->setToolTip(QStringLiteral("The photo was flipped to map orientation: east on the right when "
                                            "north is at the top"));
    cmbSky_ = new QComboBox(this);
    cmbSky_->setObjectName(QStringLiteral("cmbSky"));
    // The items' indexes are the enumeration's values.
    cmbSky_->addItems({QStringLiteral("uniform"), QStringLiteral("overcast")});
    cmbSky_->setToolTip(QStringLiteral("How the diffuse light comes from the sky: evenly (uniform overcast, UOC), "
                                       "or three times as bright at the zenith as at the horizon (standard "
                                       "overcast, SOC)"));
    cmbBeam_ = new QComboBox(this);
    cmbBeam_->setObjectName(QStringLiteral("cmbBeam"));
    cmbBeam_->addItems({QStringLiteral("fixed"), QStringLiteral("Erbs")});
    cmbBeam_->setToolTip(QStringLiteral("The beam's share of the global radiation: fixed, or from the clearness "
                                        "index by Erbs, Klein and Duffie"));

    const int editWidth = fontMetrics().horizontalAdvance(QStringLiteral("2021-05-01")) + 14;
    for (const LightFieldRule& rule : kRules) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(rule.name));
        edit->setToolTip(QString::fromUtf8(rule.tip));
        // Numbers and days need no more; the captions take what is left.
        edit->setFixedWidth(editWidth);
        if (rule.start)
            edit->setText(QString::number(rule.start(start), 'g', 6));
        if (rule.kind == FieldKind::FirstDay || rule.kind == FieldKind::LastDay)
            edit->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
        else if (rule.required)
            edit->setPlaceholderText(QStringLiteral("required"));
        auto* reason = new QLabel(this);
        reason->setObjectName(QStringLiteral("lblWhy") + QLatin1String(rule.name).mid(3));
        reason->setWordWrap(true);
        QPalette refused = reason->palette();
        refused.setColor(QPalette::WindowText, QColor(170, 0, 0));
        reason->setPalette(refused);
        reason->hide();
        rows_.push_back({&rule, edit, reason});
        connect(edit, &QLineEdit::editingFinished, this, &LightSettingsForm::confirm);
    }
    cmbBeam_->setCurrentIndex(int(start.settings.beamModel));
    field(QStringLiteral("txtBeamFraction"))->setEnabled(start.settings.beamModel == light::BeamFractionModel::Fixed);
    cmbSky_->setCurrentIndex(int(start.settings.sky));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    lay(grid);
    told_ = state();

    for (QCheckBox* box : {chkLight_, chkSunTracks_, chkMirrored_})
        connect(box, &QCheckBox::toggled, this, &LightSettingsForm::confirm);
    connect(cmbSky_, &QComboBox::currentIndexChanged, this, &LightSettingsForm::confirm);
    connect(cmbBeam_, &QComboBox::currentIndexChanged, this, [this](int index) {
        field(QStringLiteral("txtBeamFraction"))->setEnabled(index == int(light::BeamFractionModel::Fixed));
        confirm();
    });
}

void LightSettingsForm::lay(QGridLayout* grid)
{
    struct Slot {
        QWidget* caption = nullptr;
        QWidget* control = nullptr;
        QLabel* reason = nullptr;
    };
    const auto fieldSlot = [&](const char* name) {
        const FieldRow* row = rowOf(name);
        auto* caption = new QLabel(QString::fromUtf8(row->rule->caption), this);
        caption->setBuddy(row->edit);
        return Slot{caption, row->edit, row->reason};
    };
    const auto choiceSlot = [&](const QString& text, QComboBox* box) {
        auto* caption = new QLabel(text, this);
        caption->setBuddy(box);
        return Slot{caption, box, nullptr};
    };
    // Three to a line, each field's reason on the line below it.
    const Slot places[] = {
        {nullptr, chkLight_},
        {nullptr, chkSunTracks_},
        {}, //
        fieldSlot("txtLatitude"),
        fieldSlot("txtLongitude"),
        fieldSlot("txtUtcOffset"), //
        fieldSlot("txtFrom"),
        fieldSlot("txtTo"),
        fieldSlot("txtElevation"), //
        fieldSlot("txtTopAzimuth"),
        fieldSlot("txtDeclination"),
        {nullptr, chkMirrored_}, //
        fieldSlot("txtTimeStep"),
        fieldSlot("txtRegionRings"),
        fieldSlot("txtRegionSectors"), //
        choiceSlot(QStringLiteral("Sky"), cmbSky_),
        fieldSlot("txtKt"),
        fieldSlot("txtTau"), //
        choiceSlot(QStringLiteral("Beam"), cmbBeam_),
        fieldSlot("txtBeamFraction"), //
        fieldSlot("txtSolarConstant"),
        fieldSlot("txtParFraction"),
        fieldSlot("txtParPhotons"),
    };
    constexpr int kPerLine = 3;
    QWidget* previous = nullptr;
    for (int k = 0; k < int(std::size(places)); ++k) {
        const Slot& slot = places[k];
        if (!slot.control)
            continue;
        const int line = 2 * (k / kPerLine), column = 2 * (k % kPerLine);
        if (slot.caption)
            grid->addWidget(slot.caption, line, column);
        grid->addWidget(slot.control, line, column + (slot.caption ? 1 : 0), 1, slot.caption ? 1 : 2);
        if (slot.reason) {
            // Wrapped to the field's width, never widening it.
            slot.reason->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            grid->addWidget(slot.reason, line + 1, column, 1, 2);
        }
        // The Tab key follows the lines.
        if (previous)
            setTabOrder(previous, slot.control);
        previous = slot.control;
    }
    for (int column = 1; column < 2 * kPerLine; column += 2)
        grid->setColumnStretch(column, 1);
}

const LightSettingsForm::FieldRow* LightSettingsForm::rowOf(const char* name) const
{
    for (const FieldRow& row : rows_)
        if (qstrcmp(row.rule->name, name) == 0)
            return &row;
    return nullptr;
}

QLineEdit* LightSettingsForm::field(const QString& name) const
{
    const FieldRow* row = rowOf(name.toLatin1().constData());
    return row ? row->edit : nullptr;
}

QString LightSettingsForm::problemOf(const QLineEdit* edit) const
{
    for (const FieldRow& row : rows_)
        if (row.edit == edit)
            return row.reason->text();
    return {};
}

bool LightSettingsForm::lightOn() const { return chkLight_->isChecked(); }

bool LightSettingsForm::showsSunTracks() const { return chkSunTracks_->isChecked(); }

std::optional<canopy::LightRequest> LightSettingsForm::request() const
{
    return lightOn() ? lastValid() : std::nullopt;
}

std::optional<canopy::LightRequest> LightSettingsForm::lastValid() const
{
    if (!settings_)
        return std::nullopt;
    return canopy::LightRequest{*settings_, orientation_, false};
}

QString LightSettingsForm::read(const FieldRow& row, LightInputs& inputs) const
{
    const LightFieldRule& rule = *row.rule;
    const QString text = row.edit->text();
    if (rule.kind == FieldKind::FirstDay || rule.kind == FieldKind::LastDay) {
        const Reading<light::Date> day = readDay(text, rule.kind == FieldKind::FirstDay);
        if (const light::Date* d = valueOf(day))
            (rule.kind == FieldKind::FirstDay ? inputs.settings.period.from : inputs.settings.period.to) = *d;
        return whyNot(day);
    }
    double value = 0.0;
    if (rule.kind == FieldKind::Whole) {
        const Reading<int> whole = readWholeNumber(text);
        if (!valueOf(whole))
            return whyNot(whole);
        value = *valueOf(whole);
    } else {
        const Reading<double> number
            = rule.kind == FieldKind::UtcOffset ? readUtcOffset(text) : readNumber(text, QLatin1String(rule.letters));
        if (!valueOf(number))
            return whyNot(number);
        value = *valueOf(number);
    }
    // The library's own rule and words, for this value among valid others.
    LightInputs alone;
    rule.apply(alone, value);
    if (const std::string problem = rule.problem(alone); !problem.empty())
        return sentence(problem);
    rule.apply(inputs, value);
    return {};
}

void LightSettingsForm::confirm()
{
    LightInputs inputs;
    inputs.settings.sky = static_cast<light::SkyModel>(cmbSky_->currentIndex());
    inputs.settings.beamModel = static_cast<light::BeamFractionModel>(cmbBeam_->currentIndex());
    inputs.orientation.mirrored = chkMirrored_->isChecked();
    bool settingsGood = true, orientationGood = true;
    for (const FieldRow& row : rows_) {
        QString why;
        bool good = true;
        if (!row.edit->isEnabledTo(this)) {
            // Not read (the fixed beam fraction under Erbs): the default stands.
            // Only the form's own switch counts: a window disabled around it
            // (while a dialog is up) leaves every field read.
        } else if (row.edit->text().trimmed().isEmpty()) {
            good = false;
            // A field light waits for is asked for only once light is on.
            if (!row.rule->required || lightOn())
                why = QStringLiteral("Give %1.").arg(QString::fromUtf8(row.rule->what));
        } else {
            why = read(row, inputs);
            good = why.isEmpty();
        }
        showReason(row.reason, why);
        (isOrientation(*row.rule) ? orientationGood : settingsGood) &= good;
    }
    if (settingsGood) {
        // Every field is good alone; what is left is the period as a whole.
        const std::string problem = light::settingsProblem(inputs.settings);
        showReason(rowOf("txtTo")->reason, sentence(problem));
        if (problem.empty())
            settings_ = inputs.settings;
    }
    if (orientationGood)
        orientation_ = inputs.orientation;
    // A box has changed by the time its signal comes: compared with what
    // was last told, not with the state before.
    if (told_ != state()) {
        told_ = state();
        emit changed();
    }
}

bool LightSettingsForm::setTopAzimuth(double degrees)
{
    double top = hund(degrees);
    if (top >= canopy::kMaxTopAzimuth)
        top -= canopy::kMaxTopAzimuth;
    QLineEdit* edit = field(QStringLiteral("txtTopAzimuth"));
    const QString text = QString::number(top, 'f', 2);
    if (edit->text() == text)
        return false;
    const canopy::SkyOrientation before = orientation_;
    edit->setText(text);
    confirm();
    return !(orientation_ == before);
}

} // namespace karwen::ui
