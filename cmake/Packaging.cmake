# The Debian package: `cpack -G DEB` in the build folder packs what `cmake --install` lays out under
# /usr. Its dependencies are computed from the libraries the program links (dpkg-shlibdeps, from
# dpkg-dev); the fonts are not linked, so they are named here. The practice journal links SQLite
# itself rather than going through a Qt SQL driver, which is a plugin that no computed dependency
# would find; its libraries are named as well, so that the journal never depends on the computing.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pulsara)
set(CPACK_PACKAGE_VENDOR Pulsara)
set(CPACK_PACKAGE_CONTACT "Pulsara developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "practice metronome played from the keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "Pulsara is a metronome for practising musicians that is played almost entirely from the \
keyboard: tempos, rhythms in a small notation of its own, a play/pause cycle, an accelerando, \
tempo and rhythm slots, mixer presets, a practice clock, a notebook and export to WAV.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libsqlite3-0, libqt6charts6")
# F1 shows the help page through the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
