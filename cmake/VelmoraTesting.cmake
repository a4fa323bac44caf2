# velmora_add_test(NAME name LABEL label SOURCES files... LIBS libs...)
# Builds one GoogleTest program and registers its cases with CTest under a label.
function(velmora_add_test)
    if(NOT VELMORA_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_definitions(${T_NAME} PRIVATE
        VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VELMORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
endfunction()
include(GoogleTest)

# velmora_add_gui_test(NAME name SOURCES files... LIBS libs... [DEPENDS targets...])
# Builds one window-test program over the shared GUI test main (QApplication
# on the offscreen platform, private configuration folder) and registers its
# cases under the label gui.
function(velmora_add_gui_test)
    if(NOT VELMORA_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;DEPENDS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    set_target_properties(${T_NAME} PROPERTIES
        AUTOMOC ON RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${T_NAME} PRIVATE
        VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VELMORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} velmora_gui_test_main Qt6::Test GTest::gtest)
    foreach(dep ${T_DEPENDS})
        if(TARGET ${dep})
            add_dependencies(${T_NAME} ${dep})
        endif()
    endforeach()
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS gui ENVIRONMENT
            "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
endfunction()
