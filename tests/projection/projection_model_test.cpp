#include "projection_model.h"

#include <gtest/gtest.h>

TEST(ProjectionModel, Placeholder) { SUCCEED(); }
