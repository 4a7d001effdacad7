vant_add_test(integration_console_session
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_output_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/console_process_test.cpp
  LIBS vant_test_rig LABELS "integration" PROGRAM)

