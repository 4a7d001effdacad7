# The window's device commands without a widget: the device session against the virtual handset.
vant_add_test(integration_session
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/session_table_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/session_contexts_test.cpp
  LIBS vant_session vant_test_rig LABELS "integration")
