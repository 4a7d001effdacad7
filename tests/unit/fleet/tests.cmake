# The several-port command's port list and retry command, and the PC files its sessions share,
# without a handset.
vant_add_test(unit_fleet
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/port_list_test.cpp ${CMAKE_CURRENT_LIST_DIR}/shared_pc_files_test.cpp
  LIBS vant_console LABELS "unit")
