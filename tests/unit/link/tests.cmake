vant_add_test(unit_link_parts
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_codec_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/link_parts_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/reply_ledger_test.cpp
  LIBS vant_link LABELS "unit;threads")
