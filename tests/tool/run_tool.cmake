# Runs qmerrlog-tool once, as an operator would, and compares what it did with
# what the test expects:
#   cmake -DTOOL=path -DARGS="a|b" -DEXIT=n [-DWORKDIR=dir] [-DOUT=file] [-DEMULATOR=program]
#         [-DMATCH=regex] [-DERROR_MATCH=regex] -P run_tool.cmake
# OUT is the whole expected standard output; MATCH and ERROR_MATCH are regular
# expressions that standard output and standard error must match.
string(REPLACE "|" ";" args "${ARGS}")
if(NOT DEFINED WORKDIR)
  set(WORKDIR ".")
endif()
# EMULATOR runs a program built for another system (Wine for Windows).
execute_process(COMMAND ${EMULATOR} ${TOOL} ${args}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
# Text written to Windows streams ends its lines with CR LF.
string(REPLACE "\r\n" "\n" out "${out}")
string(REPLACE "\r\n" "\n" err "${err}")

set(report "qmerrlog-tool ${ARGS}\n--- standard output:\n${out}--- standard error:\n${err}")
if(NOT "${status}" STREQUAL "${EXIT}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXIT}\n${report}")
endif()
if(DEFINED OUT)
  file(READ ${OUT} expected)
  if(NOT "${out}" STREQUAL "${expected}")
    message(FATAL_ERROR "standard output differs from ${OUT}:\n--- expected:\n${expected}${report}")
  endif()
endif()
if(DEFINED MATCH AND NOT "${out}" MATCHES "${MATCH}")
  message(FATAL_ERROR "standard output does not match ${MATCH}\n${report}")
endif()
if(DEFINED ERROR_MATCH AND NOT "${err}" MATCHES "${ERROR_MATCH}")
  message(FATAL_ERROR "standard error does not match ${ERROR_MATCH}\n${report}")
endif()
