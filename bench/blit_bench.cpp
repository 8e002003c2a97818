#include "rix.h"

#include <benchmark/benchmark.h>
