vant_add_test(unit_console
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_input_test.cpp
  LIBS vant_console LABELS "unit")
