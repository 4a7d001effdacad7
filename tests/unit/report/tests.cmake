vant_add_test(unit_report
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reporter_test.cpp
  LIBS vant_report LABELS "unit")
