# The rooms of src/ and the one-way arrows between them, written once.
#
# Each room compiles as its own OBJECT target. Its include root shows the
# room itself and the rooms it may use (and what those use in turn), nothing
# else: a private header included the wrong way is simply not there, and the
# build fails. include/ (the API) is seen by every room; the calls that go
# through it are checked by Rooms.CallsFollowArrows instead.
#
# QM_ROOMS runs from the bottom up; QM_ROOM_USES_<room> lists the rooms it
# uses directly, and why where it is not plain.
set(QM_ROOMS platform sync format trace output core registry error jni)
set(QM_ROOM_USES_platform "")                               # the only door to the OS
set(QM_ROOM_USES_sync     platform)
set(QM_ROOM_USES_format   platform)
set(QM_ROOM_USES_trace    format platform)                  # a record lays itself out
set(QM_ROOM_USES_output   trace format sync platform)       # syslog carries traced fields
set(QM_ROOM_USES_core     output trace format sync platform)
set(QM_ROOM_USES_registry core sync platform)
set(QM_ROOM_USES_error    core format platform)             # a chain logs through the logger
set(QM_ROOM_USES_jni      registry core trace format)

# Calls against the arrows that stay on purpose (caller room -> called room:
# symbol). They go through the API headers, so no include root can stop them.
#  - A message not told otherwise takes local or UTC time from the default
#    logger: the choice belongs to the logger, the message only reads it.
#  - A trace record logs itself through the logger that handed it out.
set(QM_ROOM_UPWARD_CALLS
  "format -> core: theLogger()"
  "format -> core: CQmLogger::ShouldUseLocalTime()"
  "trace -> core: theLogger()"
  "trace -> core: CQmLogger::LogTraceMsg(")

# Every room <room> reaches from its own arrows, itself included.
function(qm_room_reach room out_var)
  set(reach ${room})
  set(todo ${QM_ROOM_USES_${room}})
  while(todo)
    list(POP_FRONT todo next)
    if(NOT next IN_LIST reach)
      list(APPEND reach ${next})
      list(APPEND todo ${QM_ROOM_USES_${next}})
    endif()
  endwhile()
  set(${out_var} ${reach} PARENT_SCOPE)
endfunction()

# ${CMAKE_BINARY_DIR}/rooms/<room>/ holds one link per reachable room
# (<dep> -> src/<dep>), so `#include "core/x.h"` resolves only where core is
# reachable. Returns the folder in <out_var>.
function(qm_room_include_root room out_var)
  set(root ${PROJECT_BINARY_DIR}/rooms/${room})
  qm_room_reach(${room} reach)
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(dep IN LISTS reach)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${dep} ${root}/${dep} SYMBOLIC)
  endforeach()
  set(${out_var} ${root} PARENT_SCOPE)
endfunction()

# Gives <target> the view of src/ that <room> has: for targets beside the
# rooms that compile room sources of their own.
function(qm_use_room_view target room)
  qm_room_include_root(${room} root)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include ${root})
endfunction()

# qm_add_room(<room> SOURCES ... [LIBS ...]) -> OBJECT target qmerrlog_room_<room>,
# its objects appended to QM_ROOM_OBJECTS in the caller's scope.
function(qm_add_room room)
  cmake_parse_arguments(R "" "" "SOURCES;LIBS" ${ARGN})
  set(target qmerrlog_room_${room})
  add_library(${target} OBJECT ${R_SOURCES})
  qm_use_room_view(${target} ${room})
  target_compile_definitions(${target} PRIVATE QMERRLOG_BUILDING)
  if(R_LIBS)
    target_link_libraries(${target} PRIVATE ${R_LIBS})
  endif()
  qm_warnings(${target})
  list(APPEND QM_ROOM_OBJECTS $<TARGET_OBJECTS:${target}>)
  set(QM_ROOM_OBJECTS ${QM_ROOM_OBJECTS} PARENT_SCOPE)
endfunction()
