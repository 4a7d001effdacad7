# The several-port console as a user runs it, against handsets that keep a real line's pace:
# tens of seconds each, so they run with the slow tests.
vant_add_test(integration_fleet
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fleet_process_test.cpp
  LIBS vant_test_rig vant_report LABELS "integration;slow" PROGRAM TIMEOUT 600)
