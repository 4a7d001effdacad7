# The session's plain rules, without a handset: drop placement, node paths, the module list from
# the root's rows, command states, menus, the dialogs' OK checks, the connection watch and the
# ports offered (on Windows from a registry key of the test's own too).
set(session_tests ${CMAKE_CURRENT_LIST_DIR}/session_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/port_choices_test.cpp)
if(WIN32)
  list(APPEND session_tests ${CMAKE_CURRENT_LIST_DIR}/port_choices_win32_test.cpp)
endif()
vant_add_test(unit_session SOURCES ${session_tests} LIBS vant_session LABELS "unit")
