# Install-time steps of the suite (run by `cmake --install`, after the
# files are in place): the desktop entries, written with the installed
# programs' absolute paths, and the engine's registration for the
# installing user. Set before this script runs: VELMORA_SOURCE_DIR,
# VELMORA_DESKTOP_PROGRAMS, VELMORA_REGISTER_AT_INSTALL.

# One argument of a desktop entry's Exec key: quoted, with the characters
# that stay special inside quotes escaped, then escaped once more as a
# string value of the entry; "%" doubled.
function(velmora_exec_argument path out)
    set(v "${path}")
    string(REPLACE "\\" "\\\\" v "${v}")
    string(REPLACE "\"" "\\\"" v "${v}")
    string(REPLACE "`" "\\`" v "${v}")
    string(REPLACE "\$" "\\\$" v "${v}")
    string(REPLACE "\\" "\\\\" v "${v}")
    string(REPLACE "%" "%%" v "${v}")
    set(${out} "\"${v}\"" PARENT_SCOPE)
endfunction()

set(velmora_prefix "${CMAKE_INSTALL_PREFIX}")
set(velmora_root "$ENV{DESTDIR}${velmora_prefix}")
foreach(program IN LISTS VELMORA_DESKTOP_PROGRAMS)
    velmora_exec_argument("${velmora_prefix}/bin/${program}" VELMORA_EXEC)
    # The definition editor opens a definition given on its command line.
    if(program STREQUAL "dravel")
        string(APPEND VELMORA_EXEC " %f")
    endif()
    set(entry "${velmora_root}/share/applications/velmora-${program}.desktop")
    message(STATUS "Installing: ${entry}")
    configure_file("${VELMORA_SOURCE_DIR}/share/applications/velmora-${program}.desktop.in"
        "${entry}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
endforeach()

# A staged install (DESTDIR, for a package) is registered by whoever
# installs the package; so is a build that must not touch the settings.
if(VELMORA_REGISTER_AT_INSTALL AND "$ENV{DESTDIR}" STREQUAL "")
    execute_process(
        COMMAND "${velmora_prefix}/bin/strovik-regsvr" "${velmora_prefix}/lib/libstrovik.so"
        RESULT_VARIABLE velmora_result
        OUTPUT_VARIABLE velmora_output
        ERROR_VARIABLE velmora_error)
    if(velmora_result EQUAL 0)
        message(STATUS "Registered the recognition engine ${velmora_prefix}/lib/libstrovik.so")
    else()
        message(WARNING "The recognition engine was installed but not registered "
            "(${velmora_error}); the programs use it from ../lib all the same.")
    endif()
endif()
