// The Canopy window's Light part: whether light figures are measured, the
// site and the period they are for, how the photo lies under the sky (the
// compass bearing of its top, the magnetic declination, whether it was
// mirrored), the sky regions and the model of the radiation above the
// canopy (light_settings.h), and whether the source view shows the sun's
// tracks. Light is off until "Light figures" is checked and the site and
// the period are given; the other fields start at the library's defaults.
//
// A field is read when confirmed (Enter or leaving it). A value the
// library would refuse shows why just below the field and changes nothing:
// the request stays the last good one, so the figures stay as they were.
#pragma once

#include "light_row.h"
#include "sky_orientation.h"

#include <QWidget>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace karwen::ui {

struct LightFieldRule; // how one field is read and checked
struct LightInputs;    // what the fields are read into

class LightSettingsForm : public QWidget {
    Q_OBJECT
public:
    explicit LightSettingsForm(QWidget* parent = nullptr);

    // The light to measure: none while "Light figures" is off, else lastValid().
    [[nodiscard]] std::optional<canopy::LightRequest> request() const;
    // The last valid settings and orientation, on or off; none before the
    // site and the period were first given.
    [[nodiscard]] std::optional<canopy::LightRequest> lastValid() const;
    [[nodiscard]] bool lightOn() const;
    // The last valid orientation (north up at the start); it holds with
    // light off too, for the polar plot.
    [[nodiscard]] const canopy::SkyOrientation& orientation() const { return orientation_; }
    [[nodiscard]] bool showsSunTracks() const;

    // The top azimuth as if typed and confirmed, to hundredths of a degree
    // (0 up to below 360); true when the orientation changed.
    bool setTopAzimuth(double degrees);

    // Why a field's value is refused, as shown below it; "" when it is not.
    [[nodiscard]] QString problemOf(const QLineEdit* field) const;
    // A field by its name ("txtLatitude", "txtFrom", ...), for tests and scripts.
    [[nodiscard]] QLineEdit* field(const QString& name) const;
    [[nodiscard]] QCheckBox* chkLight() const { return chkLight_; }
    [[nodiscard]] QCheckBox* chkSunTracks() const { return chkSunTracks_; }
    [[nodiscard]] QCheckBox* chkMirrored() const { return chkMirrored_; }
    [[nodiscard]] QComboBox* cmbSky() const { return cmbSky_; }
    [[nodiscard]] QComboBox* cmbBeam() const { return cmbBeam_; }

signals:
    // The settings, the orientation, "Light figures" or "Show sun tracks" changed.
    void changed();

private:
    struct FieldRow {
        const LightFieldRule* rule;
        QLineEdit* edit;
        QLabel* reason;
    };
    struct State {
        std::optional<canopy::LightRequest> request;
        canopy::SkyOrientation orientation;
        bool on, tracks;
        friend bool operator==(const State&, const State&) = default;
    };

    void lay(QGridLayout* grid);
    // Reads every field, shows what is refused and keeps what is valid.
    void confirm();
    // Why the row's text cannot be used, "" after applying it to inputs.
    [[nodiscard]] QString read(const FieldRow& row, LightInputs& inputs) const;
    [[nodiscard]] const FieldRow* rowOf(const char* name) const;
    [[nodiscard]] State state() const { return {lastValid(), orientation_, lightOn(), showsSunTracks()}; }

    QCheckBox* chkLight_ = nullptr;
    QCheckBox* chkSunTracks_ = nullptr;
    QCheckBox* chkMirrored_ = nullptr;
    QComboBox* cmbSky_ = nullptr;
    QComboBox* cmbBeam_ = nullptr;
    std::vector<FieldRow> rows_;
    std::optional<light::LightSettings> settings_; // the last valid
    canopy::SkyOrientation orientation_;
    std::optional<State> told_; // as changed() last told it
};

} // namespace karwen::ui
