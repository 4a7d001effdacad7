# Each row waits out real time-outs and handset delays with the processor mostly idle, so
# ./run.sh test runs the table beside everything else.
vant_add_test(integration_faults
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fault_table_test.cpp
  LIBS vant_modules vant_efs vant_test_rig LABELS "integration;slow")
