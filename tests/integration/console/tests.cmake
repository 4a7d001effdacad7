vant_add_test(integration_console_session
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/connection_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/modules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/interactive_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/stopping_test.cpp
  LIBS vant_sim LABELS "integration")

vant_add_test(integration_console_slow_handset
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/slow_handset_test.cpp
  LIBS vant_efs vant_sim LABELS "integration")
