# vel_add_test(NAME SOURCES src... LIBS lib... [ENV VAR=VALUE...])
# Builds one QtTest executable and registers it with CTest; widget tests run offscreen.
function(vel_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VELMORA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}"
        TIMEOUT 300)
endfunction()

# vel_add_tests(TESTS name... LIBS lib... [ENV ...]): one test program per
# name, built from the calling folder's <name>.cpp and linked to the libraries.
function(vel_add_tests)
    cmake_parse_arguments(F "" "" "TESTS;LIBS;ENV" ${ARGN})
    foreach(name ${F_TESTS})
        vel_add_test(${name} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp LIBS ${F_LIBS} ENV ${F_ENV})
    endforeach()
endfunction()
