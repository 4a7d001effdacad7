vant_add_test(integration_efs
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/efs_operations_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/efs_tree_test.cpp
  LIBS vant_efs vant_test_rig LABELS "integration")
