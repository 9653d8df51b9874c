# Checks `nm -D --defined-only -C` of the shared library (the export table of
# a DLL): every public family is exported, no internal (namespace qm,
# anonymous namespace, the private-side access) symbol is.
if(DEFINED OBJDUMP)
  # A DLL (-DOBJDUMP=... -DCXXFILT=...): the named entries of its export table.
  execute_process(COMMAND ${OBJDUMP} -p ${LIB} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${LIB}")
  endif()
  # The name pointer table runs from its heading to the next blank line.
  string(FIND "${table}" "[Ordinal/Name Pointer] Table" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no exported names in ${LIB}")
  endif()
  string(SUBSTRING "${table}" ${at} -1 table)
  string(FIND "${table}" "\n\n" end)
  string(SUBSTRING "${table}" 0 ${end} table)
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
  string(REGEX REPLACE "\\[ *[0-9]+\\] " "" names "${entries}")
  # One name a line, after a blank as in nm's listing.
  string(REPLACE ";" "\n " names "${names}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/qmerrlog_exports.txt " ${names}\n")
  execute_process(COMMAND ${CXXFILT} INPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/qmerrlog_exports.txt
    OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
else()
  execute_process(COMMAND ${NM} -D --defined-only -C ${LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not list the exports of ${LIB}")
endif()
set(required
  "theLogger()" "getMyLogger(char const*)" "removeMyLogger(char const*)" "theLoggerList()"
  "GetThreadTraceData()" "GetKnownDataFields(" "GetKnownComponentLibs(" " GetComponentPtr"
  "CQmLogger::LogErrMsg(" "CQmLogger::EnableTrace(" "CQmLogger::TraceEnabled(" "CQmLogger::ShouldTrace("
  "CQmLogger::ShouldTraceAlloc(" "CQmLogger::m_bUnloadedComponents"
  "CQmErrLogMessage::FormatLogProlog(" "CQmTraceData::SetFieldValue(" "CQmError::LogMessages("
  "CQmErrLogGuard::LockForRead(" "CQmGuard::Unlock(" "CQmErrLogSemaphore::Init("
  "CQmFileOutput::Log(" "CQmConsoleOutput::Open(" "CQmSyncCallbackOutput::SetParams("
  "CQmLoggerList::AddLogger(" "vtable for CQmLogOutput")
foreach(name IN LISTS required)
  string(FIND "${symbols}" "${name}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not exported: ${name}")
  endif()
endforeach()
foreach(pattern " qm::" "(anonymous namespace)" "QmInternalAccess" "CQmConsoleManager" "initializeThreadKey" "CQmFile::")
  string(FIND "${symbols}" "${pattern}" at)
  if(NOT at EQUAL -1)
    string(SUBSTRING "${symbols}" ${at} 120 around)
    message(FATAL_ERROR "internal symbol exported: ${around}")
  endif()
endforeach()
message(STATUS "exports ok")
