# Install tree, manual page, desktop entry and Debian package checks.
find_program(VANT_MAN_PROGRAM man)
find_program(VANT_DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(VANT_DPKG_PROGRAM dpkg)
find_program(VANT_DPKG_DEB_PROGRAM dpkg-deb)

set(dir ${CMAKE_CURRENT_LIST_DIR})
vant_add_test(integration_packaging
  SOURCES ${dir}/packaging_helpers.cpp
          ${dir}/install_tree_test.cpp
          ${dir}/manual_page_test.cpp
          ${dir}/desktop_entry_test.cpp
          ${dir}/debian_package_test.cpp
  LABELS "integration")
# The install and the package take every installed file from the build tree.
add_dependencies(integration_packaging vant-handset vant_packaging_files)
target_compile_definitions(integration_packaging PRIVATE
  VANT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  VANT_BINARY_DIR="${PROJECT_BINARY_DIR}"
  VANT_CMAKE="${CMAKE_COMMAND}"
  VANT_CPACK="${CMAKE_CPACK_COMMAND}"
  VANT_MAN="${VANT_MAN_PROGRAM}"
  VANT_DESKTOP_FILE_VALIDATE="${VANT_DESKTOP_FILE_VALIDATE}"
  VANT_DPKG="${VANT_DPKG_PROGRAM}"
  VANT_DPKG_DEB="${VANT_DPKG_DEB_PROGRAM}"
  VANT_GUI_BUILD=$<BOOL:${VANT_GUI}>)
