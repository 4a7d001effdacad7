vant_add_test(integration_faults
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/noisy_relay.cpp
          ${CMAKE_CURRENT_LIST_DIR}/line_faults_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/unplug_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/hostile_modules_test.cpp
  LIBS vant_modules vant_efs vant_sim LABELS "integration")
