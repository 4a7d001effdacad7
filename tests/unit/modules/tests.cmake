vant_add_test(unit_modules
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/module_names_test.cpp
  LIBS vant_modules LABELS "unit")
