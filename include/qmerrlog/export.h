// The one export macro of the library: everything else is hidden.
#pragma once

#if defined(_WIN32)
#  if defined(QMERRLOG_BUILDING)
#    define QMERRLOG_API __declspec(dllexport)
#  elif defined(QMERRLOG_STATIC)
#    define QMERRLOG_API
#  else
#    define QMERRLOG_API __declspec(dllimport)
#  endif
#else
#  define QMERRLOG_API __attribute__((visibility("default")))
#endif
