vant_add_test(unit_sim
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/device_path_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/efs_responder_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/request_cutter_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/directory_file_system_test.cpp
  LIBS vant_sim vant_efs_core LABELS "unit")
