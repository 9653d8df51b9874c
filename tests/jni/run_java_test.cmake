# cmake -DJAVA=... -DJAVA_VERSION=... -DLIBRARY=... -DAPI_JAR=... -DTEST_JAR=...
#       -DMAIN_CLASS=... -DWORK_DIR=... [-DEXPECT_OUTPUT=text] -P run_java_test.cmake
# Runs the Java test program with the virtual machine's JNI checks on, in an
# empty WORK_DIR that is removed again when the test passes. Any warning or
# fatal error the machine prints fails the test, as does a non-zero exit or
# missing expected output.
if(CMAKE_HOST_WIN32)
  set(classpath "${API_JAR};${TEST_JAR}")
else()
  set(classpath "${API_JAR}:${TEST_JAR}")
endif()
set(options -Xcheck:jni)
if(JAVA_VERSION GREATER_EQUAL 22)
  # Loading a native library is otherwise reported with a warning of its own.
  list(APPEND options --enable-native-access=ALL-UNNAMED)
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(
  COMMAND ${JAVA} ${options} -Dqmerrlog.library.path=${LIBRARY} -cp ${classpath} ${MAIN_CLASS} ${WORK_DIR}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
if(err)
  message("standard error:\n${err}")
endif()

if(NOT result EQUAL 0)
  message(FATAL_ERROR "the Java tests failed (exit ${result})")
endif()
# The machine's JNI checks print lines that start with WARNING; the library's
# own console lines start with "[".
string(FIND "\n${out}\n${err}" "\nWARNING" warning_at)
string(FIND "${out}${err}" "FATAL ERROR" fatal_at)
if(NOT warning_at EQUAL -1 OR NOT fatal_at EQUAL -1)
  message(FATAL_ERROR "the virtual machine reported a problem with the native methods")
endif()
if(DEFINED EXPECT_OUTPUT AND NOT EXPECT_OUTPUT STREQUAL "")
  string(FIND "${out}" "${EXPECT_OUTPUT}" expected_at)
  if(expected_at EQUAL -1)
    message(FATAL_ERROR "standard output lacks: ${EXPECT_OUTPUT}")
  endif()
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
