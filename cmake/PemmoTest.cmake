# SPDX-License-Identifier: MIT
# pemmo_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One executable per subject, run offscreen so no display is needed.
function(pemmo_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PEMMO_TEST_BINARY_DIR=${CMAKE_BINARY_DIR}"
        TIMEOUT 300)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
