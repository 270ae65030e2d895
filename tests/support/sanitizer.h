// Whether the tests run under AddressSanitizer, for the few measurements it distorts: GCC says so with
// __SANITIZE_ADDRESS__, clang through __has_feature.
#ifndef MIREL_TESTS_SANITIZER_H
#define MIREL_TESTS_SANITIZER_H

#if defined(__SANITIZE_ADDRESS__)
#define MIREL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MIREL_UNDER_ASAN 1
#endif
#endif
#ifndef MIREL_UNDER_ASAN
#define MIREL_UNDER_ASAN 0
#endif

#endif
