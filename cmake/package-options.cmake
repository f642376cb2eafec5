# Read by cpack once per generator: the .deb installs under /usr in Debian's layout, the
# archives hold bin/, share/ (or the bare exe on Windows) at their top.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb-layout.cmake)
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
