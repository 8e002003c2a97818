// Every projection suite runs with the tables filled, as the programs fill
// them at start-up.
#include "projection_model.h"

#include <gtest/gtest.h>

namespace {

class FilledTables : public ::testing::Environment {
public:
    void SetUp() override
    {
        karwen::initProjectionNames();
        karwen::initCoefTables();
        karwen::initGridTables();
    }
};

const ::testing::Environment* const kFilledTables = ::testing::AddGlobalTestEnvironment(new FilledTables);

} // namespace
