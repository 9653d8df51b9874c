# Checks `nm -D --defined-only -C` of the shared library: every public family
# is exported, no internal (namespace qm, anonymous namespace) symbol is.
execute_process(COMMAND ${NM} -D --defined-only -C ${LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIB}")
endif()
set(required
  "theLogger()" "getMyLogger(char const*)" "removeMyLogger(char const*)" "theLoggerList()"
  "GetThreadTraceData()" "GetKnownDataFields(" "GetKnownComponentLibs(" " GetComponentPtr"
  "CQmLogger::LogErrMsg(" "CQmLogger::EnableTrace(" "CQmLogger::m_bUnloadedComponents"
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
foreach(pattern " qm::" "(anonymous namespace)" "CQmConsoleManager" "initializeThreadKey" "CQmFile::")
  string(FIND "${symbols}" "${pattern}" at)
  if(NOT at EQUAL -1)
    string(SUBSTRING "${symbols}" ${at} 120 around)
    message(FATAL_ERROR "internal symbol exported: ${around}")
  endif()
endforeach()
message(STATUS "exports ok")
