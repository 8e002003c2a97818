// The parameters' Apply, shared by the parameters window and the batch
// dialog: the dialog reads its fields into a value (or refuses them, having
// told the user why), and applyParameters stores that value into the globals
// and runs what follows a change. What differs between the two dialogs comes
// in as ParameterApply.
#pragma once

#include "parameter_fields.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace karwen {

// The eleven editable values, typed as the globals they stand for.
struct ParameterValues {
    double srcCx, srcCy, srcR, srcRot;
    float refX, refY;
    int32_t dstW, dstH;
    double dstCx, dstCy, dstR;
};

// The values of texts (indexed like Field) under bounds; nothing when a
// field does not pass (firstInvalid names it).
[[nodiscard]] std::optional<ParameterValues> parameterValues(
    const std::array<std::string, kEditableFields>& texts, const FieldBounds& bounds);

// Stores every value that differs from its global (the reference point
// compared as a float); true when any did.
bool storeParameters(const ParameterValues& values);

struct ParameterApply {
    // The undo step the Apply is, or none when it is part of a longer one.
    std::optional<std::string> undoStep;
    // The dialog shows the globals again (its set_param), refused or not
    // yet read values aside.
    std::function<void()> showFields;
    // A change converts the photo again: the source redrawn and the
    // destination made afresh.
    bool rebuildDestination = false;
};

// Inside the undo step: read (nothing: a field was refused, already told),
// store, showFields, and when anything changed ref2angle and, if asked, the
// source and a fresh destination. False when a field was refused.
bool applyParameters(const ParameterApply& how, const std::function<std::optional<ParameterValues>()>& read);

} // namespace karwen
