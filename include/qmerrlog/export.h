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

// The private side of a public class is reached only through this template,
// which the library specialises for each of its own purposes (resetting
// guards in a forked child, closing a logger's outputs at exit, ...). The
// specialisations live in the library's sources; programs have no use for it.
template <typename Purpose>
struct QmInternalAccess;
