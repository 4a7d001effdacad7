# The window's plain rules, without a window. A build without the window front end
# (VANT_GUI=OFF) has none of these.
if(NOT TARGET vant_ui)
  return()
endif()

set(ui_rule_tests ${CMAKE_CURRENT_LIST_DIR}/window_rules_test.cpp)
# Time zones set through TZ, a file size limit set with setrlimit, ports listed from a tree
# shaped like /dev: POSIX only.
if(NOT WIN32)
  list(APPEND ui_rule_tests ${CMAKE_CURRENT_LIST_DIR}/device_time_test.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/profile_file_test.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/serial_port_list_test.cpp)
endif()
vant_add_test(unit_ui SOURCES ${ui_rule_tests} LIBS vant_ui vant_test_support LABELS "unit")
