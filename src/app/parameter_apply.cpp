#include "parameter_apply.h"

#include "mdl_karwen.h"
#include "undoable_step.h"

namespace karwen {

std::optional<ParameterValues> parameterValues(
    const std::array<std::string, kEditableFields>& texts, const FieldBounds& bounds)
{
    if (firstInvalid(texts, bounds))
        return std::nullopt;
    const auto rules = fieldRules(bounds);
    const auto value = [&](Field which) {
        // Validated above, so the value is there.
        const auto i = static_cast<std::size_t>(which);
        return fieldValue(rules[i], texts[i]).value_or(0.0);
    };
    return ParameterValues{value(Field::SrcCx), value(Field::SrcCy), value(Field::SrcR), value(Field::SrcRot),
        static_cast<float>(value(Field::RefPointX)), static_cast<float>(value(Field::RefPointY)),
        static_cast<int32_t>(value(Field::DstWidth)), static_cast<int32_t>(value(Field::DstHeight)),
        value(Field::DstCx), value(Field::DstCy), value(Field::DstR)};
}

bool storeParameters(const ParameterValues& values)
{
    bool changed = false;
    const auto store = [&changed](auto& global, auto v) {
        if (global != v) {
            global = v;
            changed = true;
        }
    };
    store(SrcPrm.Cx, values.srcCx);
    store(SrcPrm.Cy, values.srcCy);
    store(SrcPrm.R, values.srcR);
    store(SrcPrm.Rot, values.srcRot);
    store(RefX, values.refX);
    store(RefY, values.refY);
    store(DstW, values.dstW);
    store(DstH, values.dstH);
    store(DstPrm.Cx, values.dstCx);
    store(DstPrm.Cy, values.dstCy);
    store(DstPrm.R, values.dstR);
    return changed;
}

bool applyParameters(const ParameterApply& how, const std::function<std::optional<ParameterValues>()>& read)
{
    std::optional<UndoableStep> step;
    if (how.undoStep)
        step.emplace(*how.undoStep);
    const std::optional<ParameterValues> values = read();
    if (!values)
        return false;
    const bool changed = storeParameters(*values);
    if (how.showFields)
        how.showFields();
    if (!changed)
        return true;
    ref2angle();
    if (how.rebuildDestination) {
        src_update();
        rebuildDestination();
    }
    return true;
}

} // namespace karwen
