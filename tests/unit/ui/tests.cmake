# The window's plain rules, without a window. A build without the window front end
# (VANT_GUI=OFF) has none of these.
if(NOT TARGET vant_ui)
  return()
endif()

# Time zones set through TZ, a file size limit set with setrlimit, ports listed from a tree
# shaped like /dev: POSIX only. The window's other rules live in the session (unit_session).
if(WIN32)
  return()
endif()
vant_add_test(unit_ui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/device_time_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/profile_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/serial_port_list_test.cpp
  LIBS vant_ui vant_test_support LABELS "unit")
