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

# The environment of the tools that run at build time (templates, manual,
# artwork): no display needed; in a sanitizer build, what the font
# libraries keep until exit is not a reason to fail the build.
set(VELMORA_TOOL_ENV QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0)

# Installed programs find the libraries of the suite in ../lib. The build
# tree gets the same run path at link time: otherwise CMake pads the build
# tree's (empty) run path with colons for the install-time rewrite, and an
# empty entry makes the loader search the current folder.
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${VELMORA_INSTALL_LIBDIR}")
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)

# The install rules; call after every program is defined. Programs built
# by this tree are installed when their target exists.
function(velmora_install_suite)
    set(desktop_programs)
    foreach(program pandle tarrow dravel fenwary velmora velmora-sheetgen strovik-regsvr)
        if(TARGET ${program})
            install(TARGETS ${program} RUNTIME DESTINATION ${VELMORA_INSTALL_BINDIR})
            if(EXISTS ${PROJECT_SOURCE_DIR}/share/applications/velmora-${program}.desktop.in)
                list(APPEND desktop_programs ${program})
            endif()
        endif()
    endforeach()
    if(TARGET strovik)
        install(TARGETS strovik LIBRARY DESTINATION ${VELMORA_INSTALL_LIBDIR})
    endif()
    # The build tree's share folder holds what the build made (templates,
    # manual, icons), laid out as installed.
    foreach(folder velmora/templates doc/velmora icons/hicolor)
        get_filename_component(parent ${folder} DIRECTORY)
        install(DIRECTORY ${VELMORA_BUILD_SHARE_DIR}/${folder}
            DESTINATION share/${parent} OPTIONAL)
    endforeach()
    install(CODE "
        set(VELMORA_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
        set(VELMORA_DESKTOP_PROGRAMS \"${desktop_programs}\")
        set(VELMORA_REGISTER_AT_INSTALL ${VELMORA_ENGINE_REGISTERS})")
    install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/VelmoraInstallSteps.cmake)

    if(VELMORA_BUILD_TESTS)
        # An install into a temporary prefix, run from there.
        add_test(NAME install_layout
            COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-install.sh ${CMAKE_BINARY_DIR})
        set_tests_properties(install_layout PROPERTIES LABELS install TIMEOUT 600)
        # Every program, library and test program this tree built.
        add_test(NAME run_paths
            COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-run-paths.sh
                ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/tests ${CMAKE_BINARY_DIR}/fuzz)
        set_tests_properties(run_paths PROPERTIES LABELS install TIMEOUT 120)
    endif()
endfunction()
