vant_add_test(integration_efs
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/efs_on_handset_test.cpp
  LIBS vant_efs vant_test_rig LABELS "integration")
