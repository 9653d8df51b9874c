// The one export macro of the library: everything else is hidden.
#pragma once

#if defined(_WIN32)
#if defined(QMERRLOG_BUILDING)
#define QMERRLOG_API __declspec(dllexport)
#elif defined(QMERRLOG_STATIC)
#define QMERRLOG_API
#else
#define QMERRLOG_API __declspec(dllimport)
#endif
#else
#define QMERRLOG_API __attribute__((visibility("default")))
#endif

// A member written inline in a header that the library still exports under
// its own name, so programs that call it out of line keep linking. A DLL
// names such members in its export table from its own sources.
#if defined(_WIN32)
#define QMERRLOG_INLINE_API
#else
#define QMERRLOG_INLINE_API __attribute__((visibility("default")))
#endif

// Lays a branch out as the straight path: the inline trace questions expect
// tracing to be off, the case that has to cost next to nothing.
#if defined(__GNUC__)
#define QMERRLOG_LIKELY(condition) __builtin_expect(!!(condition), 1)
#else
#define QMERRLOG_LIKELY(condition) (condition)
#endif

// The private side of a public class is reached only through this template,
// which the library specialises for each of its own purposes (resetting
// guards in a forked child, closing a logger's outputs at exit, ...). The
// specialisations live in the library's sources; programs have no use for it.
template <typename Purpose>
struct QmInternalAccess;
