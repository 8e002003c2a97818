// The light figures of the open photo, one row a figure with its unit: the
// site factors, the transmitted shares, the radiation above and below the
// canopy, PAR, the hours of sun and how much of the beam and the diffuse
// light the photo covers, and H0. Period means per day. A dash where there
// is no figure: light off, no settings yet, no pixel figures, or a figure
// that does not exist (those of the beam in a period without sun).
#pragma once

#include "light_model.h"

#include <QTableWidget>

namespace karwen::ui {

class LightFigureTable : public QTableWidget {
    Q_OBJECT
public:
    enum Column { kValue, kUnit };

    explicit LightFigureTable(QWidget* parent = nullptr);

    // The figures, or dashes for none.
    void showFigures(const light::LightFigures* figures);

    // The value shown for a figure by its name ("DSF", "below PAR"...);
    // empty for a name that is not there.
    [[nodiscard]] QString text(const QString& figure) const;
    [[nodiscard]] QString nameTip(const QString& figure) const;
    [[nodiscard]] QStringList names() const;

    [[nodiscard]] QSize sizeHint() const override;

private:
    [[nodiscard]] int rowOf(const QString& figure) const;
};

} // namespace karwen::ui
