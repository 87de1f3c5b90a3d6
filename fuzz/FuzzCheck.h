// CHECK(cond): a fuzz target's invariant. A broken one prints where and what,
// then aborts, which libFuzzer reports as a finding with its input saved.
#pragma once

#include <cstdio>
#include <cstdlib>

#define CHECK(cond)                                                                                          \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);                    \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
