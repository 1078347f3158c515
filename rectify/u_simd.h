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

// The same for a block compiled for AVX-512 (F, DQ, VL, BW) besides AVX2 and
// FMA, called only where the processor has all of them (HasAvx512).
#if defined(__clang__)
// clang-format off
#define VEK_AVX512_BEGIN _Pragma("clang attribute push(__attribute__((target(\"avx2,fma,avx512f,avx512dq,avx512vl,avx512bw\"))), apply_to = function)")
// clang-format on
#define VEK_AVX512_END _Pragma("clang attribute pop")
#else
// GCC 12's AVX-512 intrinsics start from undefined registers, which its
// flow analysis takes for uninitialised values.
#define VEK_AVX512_BEGIN                                                       \
    _Pragma("GCC push_options")                                                \
        _Pragma("GCC target(\"avx2,fma,avx512f,avx512dq,avx512vl,avx512bw\")") \
            _Pragma("GCC diagnostic push")                                     \
                _Pragma("GCC diagnostic ignored \"-Wmaybe-uninitialized\"")
#define VEK_AVX512_END _Pragma("GCC diagnostic pop") _Pragma("GCC pop_options")
#endif

inline bool HasAvx512() {
#if defined(__x86_64__)
    static const bool has =
        __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
    return has;
#else
    return false;
#endif
}
