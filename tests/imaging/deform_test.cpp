#include "rix.h"

#include <gtest/gtest.h>
