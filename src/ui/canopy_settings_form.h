// The canopy window's settings: what a canopy measurement reads from the
// photo (channel, gamma, threshold), how it bins the sky (rings, maximum
// zenith angle, sectors) and which dot class counts as gap. Every control
// keeps its value in range, so the settings it gives are always valid.
// Number fields report a value when it is confirmed (Enter, the arrows or
// leaving the field), not at every key.
#pragma once

#include "canopy_settings.h"

#include <QWidget>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace karwen::ui {

class CanopySettingsForm : public QWidget {
    Q_OBJECT
public:
    explicit CanopySettingsForm(QWidget* parent = nullptr);

    [[nodiscard]] canopy::CanopySettings settings() const;
    [[nodiscard]] int16_t gapClass() const;

    // The controls of a setting, for tests and scripts.
    [[nodiscard]] QComboBox* cmbChannel() const { return cmbChannel_; }
    [[nodiscard]] QComboBox* cmbMethod() const { return cmbMethod_; }
    [[nodiscard]] QSpinBox* txtThreshold() const { return txtThreshold_; }
    [[nodiscard]] QDoubleSpinBox* txtGamma() const { return txtGamma_; }
    [[nodiscard]] QSpinBox* txtRings() const { return txtRings_; }
    [[nodiscard]] QDoubleSpinBox* txtMaxZenith() const { return txtMaxZenith_; }
    [[nodiscard]] QSpinBox* txtSectors() const { return txtSectors_; }
    [[nodiscard]] QSpinBox* txtGapClass() const { return txtGapClass_; }

    // A fixed threshold of this value, as choosing "Fixed" and typing it
    // gives, with one changed().
    void setFixedThreshold(int value);

signals:
    // A setting or the gap class changed.
    void changed();

private:
    QSpinBox* newCount(const char* name, int low, int high, int value, const QString& tip);

    QComboBox* cmbChannel_ = nullptr;
    QDoubleSpinBox* txtGamma_ = nullptr;
    QComboBox* cmbMethod_ = nullptr;
    QSpinBox* txtThreshold_ = nullptr;
    QSpinBox* txtRings_ = nullptr;
    QDoubleSpinBox* txtMaxZenith_ = nullptr;
    QSpinBox* txtSectors_ = nullptr;
    QSpinBox* txtGapClass_ = nullptr;
};

} // namespace karwen::ui
