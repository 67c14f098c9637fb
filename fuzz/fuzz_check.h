#pragma once
// A broken invariant of a fuzz target: named on stderr, then the run stops as a crash.

#include <cstdio>
#include <cstdlib>

#define JW_CHECK(condition)                                                                  \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)
