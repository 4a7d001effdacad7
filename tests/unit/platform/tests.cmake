vant_add_test(unit_platform
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tick_and_names_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/sync_event_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/serial_port_test.cpp
  LIBS vant_platform vant_codec LABELS "unit;threads")
