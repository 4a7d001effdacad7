vant_add_test(integration_console_session
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_output_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/console_process_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/watchdog_line_test.cpp
  LIBS vant_test_rig vant_console LABELS "integration" PROGRAM)


# The stop path inside one process, against the in-process virtual handset: runs on Windows too.
vant_add_test(integration_stop_path
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/stop_path_test.cpp
  LIBS vant_console vant_sim LABELS "integration;threads")

# The program's own cutting of its command line, where the system leaves the cutting to it: the
# real program started with raw command lines.
if(WIN32)
  vant_add_test(integration_command_line
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/command_line_win32_test.cpp
    LIBS vant_platform LABELS "integration" PROGRAM)
endif()
