// Hot loops built for AVX2 and plain, chosen when the program loads (off in
// ThreadSanitizer builds: see KARWEN_TARGET_CLONES).
#pragma once

#ifdef KARWEN_NO_TARGET_CLONES
#define KARWEN_AVX2_CLONES
#else
#define KARWEN_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#endif
