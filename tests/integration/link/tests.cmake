# The link over real pseudo-terminals against a scripted handset. Every test here runs link
# threads, so all of them also run under ThreadSanitizer.
add_library(vant_link_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/pty_peer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_handset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_fixture.cpp)
target_include_directories(vant_link_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vant_link_test_support PUBLIC vant_link PRIVATE vant_warnings)

vant_add_test(integration_link
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/open_close_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/send_sync_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/routing_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/race_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/detection_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/phone_mode_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/real_timing_test.cpp
  LIBS vant_link_test_support LABELS "integration;threads")
