// The one Apply of both parameter dialogs: what it stores, and the order of
// the undo step, the read, the dialog's fields and the refresh.
#include "parameter_apply.h"

#include "recording_hooks.h"

#include <gtest/gtest.h>

namespace karwen::test {
namespace {

// Steps recorded beside the refresh requests.
class StepHooks : public RecordingHooks {
public:
    void stepBegins(const std::string& name) override { events.push_back("begin " + name); }
    void stepEnds() override { events.push_back("end"); }
};

class ParameterApplying : public ::testing::Test {
protected:
    StepHooks hooks;

    void SetUp() override
    {
        initGlobals();
        SrcPrm.Cx = SrcPrm.Cy = SrcPrm.R = 256.0;
        SrcPrm.Proj = kEquidistant;
        RefX = RefY = 256.0f;
        setWindowHooks(&hooks);
    }
    void TearDown() override
    {
        setWindowHooks(nullptr);
        initGlobals();
    }

    // The globals as a dialog would read them back unchanged.
    static ParameterValues shown()
    {
        return {SrcPrm.Cx, SrcPrm.Cy, SrcPrm.R, SrcPrm.Rot, RefX, RefY, DstW, DstH, DstPrm.Cx, DstPrm.Cy, DstPrm.R};
    }

    bool apply(const ParameterApply& how, std::optional<ParameterValues> values)
    {
        return applyParameters(how, [this, values] {
            hooks.events.push_back("read");
            return values;
        });
    }

    ParameterApply window()
    {
        return {.undoStep = "Apply",
            .showFields = [this] { hooks.events.push_back("fields"); },
            .rebuildDestination = true};
    }
    ParameterApply batch()
    {
        return {.undoStep = std::nullopt,
            .showFields = [this] { hooks.events.push_back("fields"); },
            .rebuildDestination = false};
    }
};

TEST_F(ParameterApplying, FieldsAreReadAsTheirGlobalsTypes)
{
    std::array<std::string, kEditableFields> texts{
        "100", "120.5", "90", "-30", "101.3", "99.7", "300.5", "301.5", "150", "151", "140"};
    const std::optional<ParameterValues> values = parameterValues(texts, windowBounds(640, 480));
    ASSERT_TRUE(values);
    EXPECT_DOUBLE_EQ(values->srcCy, 120.5);
    EXPECT_EQ(values->refX, 101.3f);
    // Halves to even, as the integer fields round.
    EXPECT_EQ(values->dstW, 300);
    EXPECT_EQ(values->dstH, 302);
    EXPECT_DOUBLE_EQ(values->dstR, 140.0);
    texts[2] = "10"; // the source radius must be above 10
    EXPECT_FALSE(parameterValues(texts, windowBounds(640, 480)));
}

TEST_F(ParameterApplying, StoresOnlyWhatDiffers)
{
    EXPECT_FALSE(storeParameters(shown()));
    ParameterValues values = shown();
    values.refX = 1.0f / 3.0f;
    EXPECT_TRUE(storeParameters(values));
    EXPECT_EQ(RefX, 1.0f / 3.0f);
    EXPECT_FALSE(storeParameters(values));
    values.dstH = 400;
    values.dstCx = 200.0;
    EXPECT_TRUE(storeParameters(values));
    EXPECT_EQ(DstH, 400);
    EXPECT_DOUBLE_EQ(DstPrm.Cx, 200.0);
}

TEST_F(ParameterApplying, ARefusedFieldStoresAndRefreshesNothing)
{
    const auto before = shown();
    EXPECT_FALSE(apply(window(), std::nullopt));
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"begin Apply", "read", "end"}));
    EXPECT_EQ(RefX, before.refX);
}

TEST_F(ParameterApplying, NoChangeShowsTheFieldsAndRefreshesNothing)
{
    EXPECT_TRUE(apply(window(), shown()));
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"begin Apply", "read", "fields", "end"}));
    EXPECT_EQ(SrcPrm.Alpha, 0.0);
}

TEST_F(ParameterApplying, AChangeTurnsTheViewAndConvertsInTheWindowOnly)
{
    ParameterValues values = shown();
    values.refX = 300.0f;
    EXPECT_TRUE(apply(window(), values));
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"begin Apply", "read", "fields", "redrawSrc", "end"}));
    const double turned = SrcPrm.Alpha;
    EXPECT_NE(turned, 0.0);

    // The batch dialog's Apply is part of its "Batch" step and converts nothing.
    hooks.events.clear();
    values.refX = 256.0f;
    EXPECT_TRUE(apply(batch(), values));
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"read", "fields"}));
    EXPECT_NE(SrcPrm.Alpha, turned);
}

} // namespace
} // namespace karwen::test
