#include "undo_history.h"

#include "area_panel.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "window_registry.h"

#include <QScopedValueRollback>
#include <QUndoCommand>

#include <utility>

namespace karwen::ui {

namespace {

// A step as the two states it went between.
class StateStep : public QUndoCommand {
public:
    StateStep(UndoHistory& history, const QString& name, UndoHistory::State before, UndoHistory::State after)
        : QUndoCommand(name)
        , history_(history)
        , before_(std::move(before))
        , after_(std::move(after))
    {
    }

    void undo() override { history_.restore(before_); }
    // Also run when the step is kept, with the windows already there.
    void redo() override { history_.restore(after_); }

private:
    UndoHistory& history_;
    UndoHistory::State before_;
    UndoHistory::State after_;
};

} // namespace

UndoHistory::UndoHistory(WindowRegistry& windows, QObject* parent)
    : QObject(parent)
    , windows_(windows)
{
}

UndoHistory::State UndoHistory::current() { return {currentParameters(), currentMeasurement()}; }

void UndoHistory::begin(const QString& name)
{
    if (restoring_ || depth_++ > 0)
        return;
    name_ = name;
    stepPhoto_ = photo_;
    before_ = current();
}

void UndoHistory::end()
{
    if (restoring_ || depth_ == 0 || --depth_ > 0)
        return;
    if (stepPhoto_ != photo_ || !isImage(hSrc) || !isImage(hDst))
        return;
    State after = current();
    if (after == before_)
        return;
    stack_.push(new StateStep(*this, name_, std::move(before_), std::move(after)));
}

void UndoHistory::forget()
{
    ++photo_;
    stack_.clear();
}

void UndoHistory::undo()
{
    if (depth_ == 0)
        stack_.undo();
}

void UndoHistory::redo()
{
    if (depth_ == 0)
        stack_.redo();
}

void UndoHistory::restore(const State& state)
{
    const State now = current();
    const bool parameters = !(now.parameters == state.parameters);
    const bool area = !(now.area == state.area);
    if (!parameters && !area)
        return;
    // The handlers the refresh runs (the lists set from the globals) store
    // what is already there; none of it is a step of its own.
    const QScopedValueRollback<bool> quiet(restoring_, true);
    if (area) {
        AreaPanel* panel = windows_.areaIfLoaded();
        if (panel && LastLbl >= 0)
            panel->restoreLabel(LastLbl);
        restoreMeasurement(state.area);
        if (panel)
            panel->showAllClassTexts();
    }
    if (parameters) {
        // As Apply refreshes, with the view angles kept rather than derived.
        restoreParameters(state.parameters);
        reset_src_param(false);
        src_update();
        rebuildDestination();
    } else {
        dst_update();
    }
}

} // namespace karwen::ui
