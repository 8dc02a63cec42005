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

# vel_add_test_folder(LIBS lib... [ENV ...]): every tst_*.cpp of the calling
# folder becomes one test program linked to the given libraries.
function(vel_add_test_folder)
    cmake_parse_arguments(F "" "" "LIBS;ENV" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src ${tests})
        get_filename_component(name ${src} NAME_WE)
        vel_add_test(${name} SOURCES ${src} LIBS ${F_LIBS} ENV ${F_ENV})
    endforeach()
endfunction()
