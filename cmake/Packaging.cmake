# Installation of the man page and the bash completion, and the Debian package.
#
#   cmake --install BUILD --prefix PREFIX   installs bin/psSIFT, share/man/man1/psSIFT.1
#                                           and share/bash-completion/completions/psSIFT
#   cd BUILD && cpack -G DEB                builds pssift_<version>_<arch>.deb

include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/man/psSIFT.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/completion/psSIFT
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

set(CPACK_PACKAGE_NAME "pssift")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "psSIFT developers")
set(CPACK_PACKAGE_CONTACT "psSIFT developers <pssift-devel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MPEG program stream analyser")
set(CPACK_PACKAGE_DESCRIPTION
  "psSIFT reads an MPEG-1 system stream, an MPEG-2 program stream or a DVD
video object (.VOB) file and reports its structure: the timing of every
pack and packet (SCR, PTS and DTS in milliseconds, with timestamps that
arrive too late flagged as underflow), every header field, or a compact
map of the packets in each pack, followed by packet and byte counts for
every stream and DVD substream.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "psSIFT")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME "pssift")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "psSIFT developers <pssift-devel@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")

find_program(PSSIFT_DPKG dpkg)
if(PSSIFT_DPKG)
  execute_process(COMMAND ${PSSIFT_DPKG} --print-architecture
    OUTPUT_VARIABLE PSSIFT_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET RESULT_VARIABLE PSSIFT_DPKG_RESULT)
  if(PSSIFT_DPKG_RESULT EQUAL 0 AND PSSIFT_DEB_ARCH)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${PSSIFT_DEB_ARCH}")
  endif()
endif()

# The program needs nothing beyond the C and C++ runtime libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")

set(CPACK_GENERATOR "DEB")
include(CPack)
