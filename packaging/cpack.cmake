# The Debian package of the Linux program, made by cpack from the install
# rules (packaging/CMakeLists.txt and the program's own). scripts/package.sh
# runs it; by hand:
#   cpack --config build/linux/CPackConfig.cmake -B build/packages
# Included from the top directory, after every install rule is known.

set(CPACK_PACKAGE_NAME kadenzo)
set(CPACK_PACKAGE_VENDOR "The Kadenzo developers")
set(CPACK_PACKAGE_CONTACT "The Kadenzo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time code and frame count calculator")
# Debian shows the description as written: lines are kept under 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Kadenzo turns a frame count into hours, minutes, seconds and frames\n"
       "and back, at 23.976, 24, 25, 29.97 or 30 frames per second, and adds\n"
       "or subtracts two such values. Every field is worked out again as you type.\n"
       "\n"
       "The command kadenzo-tc converts frame counts, SMPTE time codes (drop-frame\n"
       "and non-drop) and seconds at any frame rate, and sums of them, from its\n"
       "arguments or one line at a time from standard input, for scripts and\n"
       "pipelines.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/kadenzo/kadenzo")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps debugging information (RelWithDebInfo); the package does not.
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Kadenzo developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the libraries the binary links (dpkg-shlibdeps), so
# they follow whatever Qt the package was built against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Only binary packages: the sources are the repository itself.
set(CPACK_SOURCE_GENERATOR "")

include(CPack)
