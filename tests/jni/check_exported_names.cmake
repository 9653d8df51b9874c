# cmake -DNM=<nm> -DLIBRARY=<libqmerrlog.so> -P check_exported_names.cmake
# Fails unless the library exports every native method of QmLogger.
set(expected
  Java_com_corvane_qmerrlog_QmLogger_InitializeLog
  Java_com_corvane_qmerrlog_QmLogger_InitializeTrace
  Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2
  Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2I_3Ljava_lang_String_2
  Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2
  Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2_3Ljava_lang_String_2
  Java_com_corvane_qmerrlog_QmLogger_TraceEnabled
  Java_com_corvane_qmerrlog_QmLogger_TraceEnabledComponent)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  RESULT_VARIABLE result OUTPUT_VARIABLE symbols ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${errors}")
endif()

set(missing "")
foreach(name IN LISTS expected)
  # Whole names only: the one-string LogMsg is a prefix of nothing, but be exact anyway.
  if(NOT symbols MATCHES " T ${name}\n")
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "not exported:\n  ${text}")
endif()
string(REGEX MATCHALL "Java_[A-Za-z0-9_]+" found "${symbols}")
list(LENGTH found count)
if(NOT count EQUAL 8)
  message(FATAL_ERROR "expected 8 native method exports, found ${count}: ${found}")
endif()
message(STATUS "all 8 native methods exported")
