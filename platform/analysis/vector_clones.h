#pragma once
// Marks a function to be compiled once per vector width (AVX-512, AVX2 and the baseline) and
// run in the widest version the processor has, chosen when the program loads. GCC and Clang
// on x86-64 Linux; elsewhere (MSVC on Windows) the function is compiled once, as it stands.
// Files with such functions are compiled without fused multiply-add contraction, so that
// every version rounds alike and gives the same values.

#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define TRELVANIX_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define TRELVANIX_VECTOR_CLONES
#endif
