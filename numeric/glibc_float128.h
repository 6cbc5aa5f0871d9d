#pragma once

// glibc provides the binary128 functions sqrtf128, strtof128 and strfromf128
// in libm and libc. GCC sees their declarations in <math.h> and <stdlib.h>;
// clang 14 does not (glibc hides them from compilers it does not know to
// support _Float128), so they are declared here for clang builds.
#include <cmath>
#include <cstddef>
#include <cstdlib>

#if defined(__clang__)
extern "C" {
__float128 sqrtf128(__float128 value) noexcept;
__float128 strtof128(const char* text, char** end) noexcept;
int strfromf128(char* buffer, size_t size, const char* format, __float128 value) noexcept;
}
#endif
