vant_add_test(integration_sim
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/handset_host_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/sim_port_test.cpp
  LIBS vant_test_rig vant_efs_core LABELS "integration;threads")
target_compile_definitions(integration_sim PRIVATE VANT_HANDSET_EXE="$<TARGET_FILE:vant-handset>")
add_dependencies(integration_sim vant-handset)
