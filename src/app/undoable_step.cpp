#include "undoable_step.h"

#include "window_hooks.h"

namespace karwen {

UndoableStep::UndoableStep(const std::string& name) { windowHooks().stepBegins(name); }

UndoableStep::~UndoableStep() { windowHooks().stepEnds(); }

} // namespace karwen
