# The serial port's own tests open pseudo-terminals: POSIX only.
set(platform_tests ${CMAKE_CURRENT_LIST_DIR}/tick_and_names_test.cpp ${CMAKE_CURRENT_LIST_DIR}/sync_event_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/present_ports_test.cpp)
if(NOT WIN32)
  list(APPEND platform_tests ${CMAKE_CURRENT_LIST_DIR}/serial_port_test.cpp)
endif()
vant_add_test(unit_platform SOURCES ${platform_tests} LIBS vant_platform LABELS "unit;threads")
