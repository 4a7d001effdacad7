# The link over real pseudo-terminals against the virtual handset, or a scripted peer for
# replies it never gives. Every test here runs link threads, so all of them also run under
# ThreadSanitizer.
vant_add_test(integration_link
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/open_close_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/send_sync_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/detection_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/phone_mode_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/real_timing_test.cpp
  LIBS vant_test_rig LABELS "integration;threads")
