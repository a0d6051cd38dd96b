# The tarball holds what a plain install does (the utility, its catalogs, the manual page and the
# completion) and the copyright in one folder, bin/ and share/ as under a prefix, so that the
# utility finds its catalogs wherever it is unpacked; the Debian package's own files stay in the
# package.
if(CPACK_GENERATOR STREQUAL "TGZ")
    set(CPACK_PACKAGING_INSTALL_PREFIX "")
    list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build)
    list(SUBLIST CPACK_INSTALL_CMAKE_PROJECTS 0 4 CPACK_INSTALL_CMAKE_PROJECTS)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${build} Tarvix tarball /)
endif()
