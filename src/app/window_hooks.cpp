#include "window_hooks.h"

namespace karwen {

namespace {
WindowHooks noWindows;
WindowHooks* current = &noWindows;
} // namespace

void setWindowHooks(WindowHooks* hooks) { current = hooks ? hooks : &noWindows; }

WindowHooks& windowHooks() { return *current; }

} // namespace karwen
