vant_add_test(unit_link_codec
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link/frame_codec_test.cpp
  LIBS vant_link LABELS "unit")
vant_add_test(unit_console
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console/reporter_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/console/command_line_split_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/console/argument_vector_test.cpp
  LIBS vant_console LABELS "unit")
