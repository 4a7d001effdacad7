# The window's widgets under QTest on the offscreen platform, alone and against the virtual
# handset on the test rig. A build without the window front end (VANT_GUI=OFF) has none of these.
if(NOT TARGET vant_ui)
  return()
endif()

vant_add_test(gui_ui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gui_test_main.cpp
          ${CMAKE_CURRENT_LIST_DIR}/widgets_test.cpp
  LIBS vant_ui vant_test_rig Qt6::Test LABELS "gui")

vant_add_test(integration_ui_console_branch
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_branch_test.cpp
  LABELS "integration" PROGRAM)

# The window against the virtual handset: connection, tree, list, copies and device commands.
vant_add_test(gui_ui_device
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gui_test_main.cpp
          ${CMAKE_CURRENT_LIST_DIR}/connection_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/copy_commands_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/device_commands_test.cpp
  LIBS vant_ui vant_test_rig Qt6::Test LABELS "gui")

# The window under a real X server with real pointer and key input (xdotool). ./run.sh test runs
# them on an Xvfb display of their own (label "xvfb"); elsewhere they skip.
vant_add_test(gui_ui_real_input
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/real_x_main.cpp
          ${CMAKE_CURRENT_LIST_DIR}/real_input_test.cpp
  LIBS vant_ui vant_test_rig Qt6::Test LABELS "xvfb")

# The window on the system's own platform plugin against real ports, run by ./run.sh windows
# under Wine on an X server (VANT_E2E_PORTS, VANT_E2E_SCREENSHOT); not one of the offscreen runs.
if(WIN32)
  add_executable(window_e2e ${CMAKE_CURRENT_LIST_DIR}/window_e2e_test.cpp)
  target_link_libraries(window_e2e PRIVATE vant_ui vant_test_rig Qt6::Test GTest::gtest vant_warnings)
  set_target_properties(window_e2e PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/window-e2e)
endif()
