vant_add_test(unit_modules
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/module_name_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pc_search_test.cpp
  LIBS vant_modules LABELS "unit")
