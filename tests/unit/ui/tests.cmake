# The window's plain code, without a window: device times' text, the configuration file and the
# port list. A build without the window front end (VANT_GUI=OFF) has none of these.
if(NOT TARGET vant_ui)
  return()
endif()

vant_add_test(unit_ui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/device_time_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/profile_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/serial_port_list_test.cpp
  LIBS vant_ui vant_test_support LABELS "unit")
