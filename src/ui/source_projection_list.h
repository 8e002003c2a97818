// cmbS, the source projection list of both parameter dialogs: the ideal
// fisheye projections (each item holding its code), then the real lenses
// a photo may be read through (the built-in ones, lens files opened here and
// the current lens), then "Lens file...", which asks for a lens file.
//
// Picking an item stores it in the globals at once: a projection in
// SrcPrm.Proj; a lens in SrcLens, with SrcPrm.Proj RixLensSource. A
// projection picked later keeps SrcLens, to be picked again. A lens file
// that is cancelled or refused (the reason shown) leaves the list and the
// globals as they were.
#pragma once

#include "lens_catalogue.h"

#include <QComboBox>

#include <optional>
#include <vector>

namespace karwen::ui {

class SourceProjectionList : public QComboBox {
    Q_OBJECT
public:
    explicit SourceProjectionList(QWidget* parent = nullptr);

    // Selects what the globals hold: SrcLens while SrcPrm.Proj is
    // RixLensSource, else the projection. A selection that changes raises
    // chosen, as the user's pick does.
    void showGlobals();

    // The item that shows lens; one is added when none does yet.
    int lensItem(const NamedLens& lens);
    // The item that opens a lens file: the last one.
    [[nodiscard]] int openFileItem() const { return count() - 1; }
    // The lens an item shows, if it shows one.
    [[nodiscard]] const NamedLens* lensAt(int item) const;

    // As wide as the projections' names need, as the list of projections
    // alone was: the lenses do not widen the window.
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The globals hold the item just picked.
    void chosen();

protected:
    // A name too long for the list shows its start and end around an
    // ellipsis, so that lenses that differ only in their last letters stay
    // apart; the tool tip holds the whole name.
    void paintEvent(QPaintEvent* event) override;

private:
    void itemPicked(int item);
    // The lens of a file the user picks; nothing when cancelled or refused.
    std::optional<NamedLens> askForLensFile();
    // Back to the item the globals hold, raising nothing.
    void showStored();

    std::vector<NamedLens> lenses_; // in item order, after the projections
    int stored_ = -1;               // the item the globals hold
    QString lastFile_;              // preset in the next file dialog
};

} // namespace karwen::ui
