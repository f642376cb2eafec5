# Read by cpack once per generator: the .deb installs under /usr, the archives hold
# bin/, share/ (or the bare exe on Windows) at their top.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
