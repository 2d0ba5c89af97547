# The Debian package: `cpack -G DEB` in the build folder packs what
# `cmake --install` installs, under /usr, with its Depends worked out by
# dpkg-shlibdeps from the programs' shared libraries.
set(TAVIMO_PACKAGE_MAINTAINER "Tavimo maintainers <maintainers@users.noreply.c-seed-0570cd60.example>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavimo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TAVIMO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bulk MP3 downloader for the Tavimo web radio")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Downloads MP3 tracks in bulk from the Tavimo web radio service and its"
  "music catalogue: one album, every album of an artist, one of the 400 most"
  "popular radio channels, or the signed-in user's liked tracks, into one"
  "folder per album, artist or channel. Files already there are skipped, so"
  "running a download again resumes it."
  "."
  "The package holds the window program tavimo and the command-line program"
  "tavimo-dl with its manual page and its bash, zsh and fish completions.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian keeps manual pages compressed; `cmake --install` leaves them as they are.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CompressManPages.cmake)

include(CPack)
