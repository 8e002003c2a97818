#include "canopy_settings_form.h"

#include "area_model.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

namespace karwen::ui {

namespace {

using canopy::CanopySettings;

QDoubleSpinBox* newReal(
    QWidget* parent, const char* name, double low, double high, double value, int decimals, const QString& tip)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSingleStep(decimals > 1 ? 0.1 : 1.0);
    box->setValue(value);
    box->setKeyboardTracking(false);
    box->setToolTip(tip);
    return box;
}

template <typename Choice, std::size_t N>
QComboBox* newChoices(
    QWidget* parent, const char* name, const canopy::ChoiceName<Choice> (&names)[N], const QString& tip)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    // The items' indexes are the enumeration's values.
    for (const auto& choice : names)
        box->addItem(QString::fromUtf8(choice.caption.data(), qsizetype(choice.caption.size())));
    box->setToolTip(tip);
    return box;
}

} // namespace

CanopySettingsForm::CanopySettingsForm(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmSettings"));
    const CanopySettings start;

    cmbChannel_ = newChoices(this, "cmbChannel", canopy::kChannelChoices,
        QStringLiteral("The value each pixel is judged by: its blue channel or its luma"));
    txtGamma_ = newReal(this, "txtGamma", canopy::kMinGamma, canopy::kMaxGamma, start.gamma, 2,
        QStringLiteral("Values are linearised as 255 (v / 255)^gamma; 1 keeps them"));
    cmbMethod_ = newChoices(this, "cmbMethod", canopy::kMethodNames,
        QStringLiteral("How sky is told from canopy: a threshold found on the photo, or fixed"));
    txtThreshold_ = newCount("txtThreshold", 0, canopy::kMaxFixedThreshold, start.fixedThreshold,
        QStringLiteral("The fixed threshold on the linearised scale; sky lies above it"));
    txtThreshold_->setEnabled(false);
    txtRings_ = newCount("txtRings", 1, canopy::kMaxRings, start.rings,
        QStringLiteral("Zenith rings of equal width up to the maximum zenith angle"));
    // The smallest angle above 0 that one decimal shows.
    txtMaxZenith_ = newReal(this, "txtMaxZenith", 0.1, canopy::kZenithLimitDeg, start.maxZenithDeg, 1,
        QStringLiteral("The zenith angle the outermost ring ends at, in degrees"));
    txtMaxZenith_->setSuffix(QStringLiteral("\u00B0"));
    txtSectors_ = newCount("txtSectors", 1, canopy::kMaxSectors, start.sectors,
        QStringLiteral("Azimuth sectors of equal width; the first starts at the photo's right (west when its "
                       "top is north) and they run on through north (the top)"));
    txtGapClass_ = newCount("txtGapClass", 1, kAreaClassCount - 1, 1,
        QStringLiteral("The dot class that counts as sky for the figures from the dots"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    const auto add = [&](int row, int column, const QString& caption, QWidget* control) {
        grid->addWidget(new QLabel(caption, this), row, column);
        grid->addWidget(control, row, column + 1);
    };
    add(0, 0, QStringLiteral("Channel"), cmbChannel_);
    add(0, 2, QStringLiteral("Gamma"), txtGamma_);
    add(1, 0, QStringLiteral("Threshold"), cmbMethod_);
    grid->addWidget(txtThreshold_, 1, 3);
    add(2, 0, QStringLiteral("Rings"), txtRings_);
    add(2, 2, QStringLiteral("to zenith"), txtMaxZenith_);
    add(3, 0, QStringLiteral("Sectors"), txtSectors_);
    add(3, 2, QStringLiteral("Gap class"), txtGapClass_);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    connect(cmbChannel_, &QComboBox::currentIndexChanged, this, &CanopySettingsForm::changed);
    connect(cmbMethod_, &QComboBox::currentIndexChanged, this, [this](int index) {
        txtThreshold_->setEnabled(index == int(canopy::ThresholdMethod::Fixed));
        emit changed();
    });
    for (QDoubleSpinBox* real : {txtGamma_, txtMaxZenith_})
        connect(real, &QDoubleSpinBox::valueChanged, this, &CanopySettingsForm::changed);
    for (QSpinBox* count : {txtThreshold_, txtRings_, txtSectors_, txtGapClass_})
        connect(count, &QSpinBox::valueChanged, this, &CanopySettingsForm::changed);
}

QSpinBox* CanopySettingsForm::newCount(const char* name, int low, int high, int value, const QString& tip)
{
    auto* box = new QSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setValue(value);
    box->setKeyboardTracking(false);
    box->setToolTip(tip);
    return box;
}

CanopySettings CanopySettingsForm::settings() const
{
    CanopySettings s;
    s.channel = static_cast<canopy::Channel>(cmbChannel_->currentIndex());
    s.gamma = txtGamma_->value();
    s.method = static_cast<canopy::ThresholdMethod>(cmbMethod_->currentIndex());
    s.fixedThreshold = txtThreshold_->value();
    s.rings = txtRings_->value();
    s.maxZenithDeg = txtMaxZenith_->value();
    s.sectors = txtSectors_->value();
    return s;
}

void CanopySettingsForm::setFixedThreshold(int value)
{
    const canopy::CanopySettings before = settings();
    {
        const QSignalBlocker method(cmbMethod_), threshold(txtThreshold_);
        cmbMethod_->setCurrentIndex(int(canopy::ThresholdMethod::Fixed));
        txtThreshold_->setValue(value);
    }
    txtThreshold_->setEnabled(true);
    if (!(settings() == before))
        emit changed();
}

int16_t CanopySettingsForm::gapClass() const { return static_cast<int16_t>(txtGapClass_->value()); }

} // namespace karwen::ui
