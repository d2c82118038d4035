#pragma once
// Symbols of libNW.so that the program and the tests may use; everything else stays hidden.

#if defined(__GNUC__)
#define NW_EXPORT __attribute__((visibility("default")))
#else
#define NW_EXPORT
#endif
