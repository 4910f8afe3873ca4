# The Debian package: `cpack -G DEB` (scripts/package) builds tavelkor_<version>_<arch>.deb from
# the install rules. Its Depends come from the shared libraries the programs link
# (dpkg-shlibdeps), so they follow whatever the build machine's libraries are.

# The package's changelog and AppStream release name the version being built.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/debian/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^tavelkor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "data/debian/changelog has no entry for version ${PROJECT_VERSION}")
endif()
file(READ ${PROJECT_SOURCE_DIR}/data/io.github.tavelkor.tavelkor.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "data/io.github.tavelkor.tavelkor.metainfo.xml has no release "
                      "${PROJECT_VERSION}")
endif()

set(TAVELKOR_PACKAGE_MAINTAINER
    "The Tavelkor authors <maintainers@users.noreply.c-seed-cb8fe45e.example>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavelkor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TAVELKOR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert and adjust time-tagged karaoke lyrics")
# The long description, below the summary; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tavelkor prepares time-tagged karaoke lyrics for music players. Pick a mode,
hand it files, and every file is converted in one batch with a numbered
result: TimeTag lyrics to SAMI captions and back, to DSMP lyrics files and
back, to standard and enhanced LRC and back, into MP3/RMP files as embedded
lyrics and out again, TimeTag re-timing and karaoke reshaping, a time shift
and file-name matching. A preview plays the song and colours the lyrics as
they are sung.

The package holds the desktop program (tavelkor) and its command-line twin
(tavelkor-cli), which runs the same modes from scripts.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TAVELKOR_GUI)
  # Beside the libraries: Qt's platform plug-ins, without which the window cannot open; the
  # font that aligns the result window's column, the GStreamer plug-ins that play songs in
  # the preview and the dictionaries the timing editor reads kanji with (MeCab's IPA
  # dictionary, KANJIDIC) are recommended.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  string(JOIN ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipafont-gothic
         gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
         gstreamer1.0-pulseaudio mecab-ipadic-utf8 kanjidic)
endif()
include(CPack)
