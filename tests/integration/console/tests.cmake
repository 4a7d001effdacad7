vant_add_test(integration_console_usage
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/usage_test.cpp
  LABELS "integration")
