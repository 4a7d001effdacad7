vant_add_test(unit_link_codec
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_codec_test.cpp
  LIBS vant_codec LABELS "unit")
