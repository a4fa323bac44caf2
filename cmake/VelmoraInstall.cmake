# The installed suite. Included before the programs are defined (paths, the
# run path, whether this build may register its engine) and finished by
# velmora_install_suite() after them (the install rules).
#
# Layout under the prefix P, the same relative layout as the build tree:
#   P/bin/            pandle tarrow dravel fenwary velmora velmora-sheetgen strovik-regsvr
#   P/lib/            libstrovik.so
#   P/share/applications/  one desktop entry per program
#   P/share/icons/hicolor/ the programs' icons
#   P/share/doc/velmora/   マニュアル.pdf
#   P/share/velmora/templates/  printable sheets with their definitions
# Programs find each other, the manual and the templates relative to their
# own folder (../share/...), so bin/ of the build tree works without
# installing: the share files are put into build/share at build time.

set(VELMORA_INSTALL_BINDIR bin)
set(VELMORA_INSTALL_LIBDIR lib)
set(VELMORA_BUILD_SHARE_DIR ${CMAKE_BINARY_DIR}/share)
set(VELMORA_BUILD_TEMPLATES_DIR ${VELMORA_BUILD_SHARE_DIR}/velmora/templates)
set(VELMORA_BUILD_DOC_DIR ${VELMORA_BUILD_SHARE_DIR}/doc/velmora)
set(VELMORA_BUILD_ICONS_DIR ${VELMORA_BUILD_SHARE_DIR}/icons/hicolor)

# Only a build meant to be used registers its engine for the user (at build
# time, at install time, and at a program's first start). Sanitizer and
# fuzzing builds never do: a library built with the sanitizers cannot be
# loaded into an ordinary program.
option(VELMORA_REGISTER_ENGINE
    "Register this build's engine for the user (never for sanitizer or fuzzing builds)" ON)
if(VELMORA_REGISTER_ENGINE AND NOT VELMORA_SANITIZE AND NOT VELMORA_FUZZ)
    set(VELMORA_ENGINE_REGISTERS ON)
else()
    set(VELMORA_ENGINE_REGISTERS OFF)
endif()

# Installed programs find the libraries of the suite in ../lib.
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${VELMORA_INSTALL_LIBDIR}")

function(velmora_install_suite)
endfunction()
