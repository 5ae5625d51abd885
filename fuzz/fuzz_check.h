// What the fuzz targets do when an invariant breaks: say which one, where, and abort, so that
// libFuzzer stops and keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                     \
  do {                                                                                  \
    if (!(condition)) {                                                                 \
      std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what, __FILE__, __LINE__); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (false)
