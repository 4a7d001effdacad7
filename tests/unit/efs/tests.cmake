vant_add_test(unit_efs_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/efs_packets_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/efs_replies_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/efs_transfers_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pc_sizes_test.cpp
  LIBS vant_efs_core LABELS "unit")
