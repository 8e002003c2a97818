// The edit history of the open photo, behind "Undo(&U)" and "Redo(&R)":
// each change the user may take back (UndoableStep) is kept on a QUndoStack
// as what the program held before it and after it. Undo and redo put a kept
// state back and refresh the windows as the change itself did, the
// conversion and the views, the fields, the labels and the canopy figures,
// recording nothing meanwhile. Steps are kept only while a photo is open and
// are forgotten when it closes.
#pragma once

#include "area_model.h"
#include "parameter_state.h"

#include <QObject>
#include <QUndoStack>

namespace karwen::ui {

class WindowRegistry;

class UndoHistory : public QObject {
    Q_OBJECT
public:
    // What a step may change.
    struct State {
        ParameterState parameters;
        AreaMeasurement area;
        bool operator==(const State&) const = default;
    };
    [[nodiscard]] static State current();

    explicit UndoHistory(WindowRegistry& windows, QObject* parent = nullptr);

    // A step begins and ends; steps begun inside it are part of it. At the
    // end of the outermost one a change is kept, unless the photo it began
    // on was closed meanwhile.
    void begin(const QString& name);
    void end();
    // The photo is closed: no step of it can be undone any more.
    void forget();

    // Nothing happens while a step runs (a drag under way).
    void undo();
    void redo();

    // The windows brought to a kept state through the refresh its kind of
    // change runs; a state equal to the present one changes nothing.
    void restore(const State& state);

    [[nodiscard]] QUndoStack& stack() { return stack_; }

private:
    WindowRegistry& windows_;
    QUndoStack stack_;
    int depth_ = 0;
    bool restoring_ = false;
    int photo_ = 0; // counts the photos closed, to tell whose step ends
    int stepPhoto_ = 0;
    QString name_;
    State before_;
};

} // namespace karwen::ui
