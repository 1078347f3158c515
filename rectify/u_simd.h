// Brackets a block of functions compiled for AVX2 and FMA. The code calls
// them only where the processor has both (__builtin_cpu_supports), so the
// program still runs on any x86-64.
#pragma once

#if defined(__clang__)
// clang takes the target through an attribute on every function of the block.
#define VEK_AVX2_BEGIN \
    _Pragma("clang attribute push(__attribute__((target(\"avx2,fma\"))), apply_to = function)")
#define VEK_AVX2_END _Pragma("clang attribute pop")
#else
#define VEK_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2,fma\")")
#define VEK_AVX2_END _Pragma("GCC pop_options")
#endif
