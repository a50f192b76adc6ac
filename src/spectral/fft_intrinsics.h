// The x86 vector intrinsics, for the files of the vector butterflies.
#pragma once

// GCC 12 takes the AVX-512 headers' deliberately undefined start values for
// uninitialised reads.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
