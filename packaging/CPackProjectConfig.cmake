# Read by cpack: each Debian package carries its own summary as the first
# line of its description, so the project-wide one must not be prepended.
if(CPACK_GENERATOR STREQUAL "DEB")
    unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
endif()
