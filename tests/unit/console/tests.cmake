vant_add_test(unit_console
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/command_line_split_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/argument_vector_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/prompt_line_test.cpp
  LIBS vant_console LABELS "unit")
