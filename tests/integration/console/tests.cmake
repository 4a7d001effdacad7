vant_add_test(integration_console_session
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_output_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/console_process_test.cpp
  LIBS vant_test_rig LABELS "integration" PROGRAM)

# Real handset delays of up to 450 ms a request: minutes of waiting with the processor idle, so
# ./run.sh test runs it beside everything else.
vant_add_test(integration_console_slow_handset
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/slow_handset_test.cpp
  LIBS vant_efs vant_test_rig LABELS "integration;slow" TIMEOUT 600 PROGRAM)
