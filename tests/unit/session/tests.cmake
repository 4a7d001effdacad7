# The session's plain rules, without a handset: drop placement, node paths, the module list from
# the root's rows, command states, menus, the dialogs' OK checks and the connection watch.
vant_add_test(unit_session
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/session_rules_test.cpp
  LIBS vant_session LABELS "unit")
