// One change the user may take back as a whole, from the construction of
// this guard to its end: the windows keep what the program held before it
// and after it. A step begun while another runs is part of that one, and a
// step that changed nothing is not kept.
#pragma once

#include <string>

namespace karwen {

class UndoableStep {
public:
    // name says what the step did ("brush stroke"), for the Edit menu.
    explicit UndoableStep(const std::string& name);
    ~UndoableStep();
    UndoableStep(const UndoableStep&) = delete;
    UndoableStep& operator=(const UndoableStep&) = delete;
};

} // namespace karwen
