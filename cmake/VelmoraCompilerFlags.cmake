# Warnings everywhere in the project's own code. The project's scripts and CI
# make them errors; a plain build (a packager's, another compiler's) does not
# stop at a warning its compiler version invents.
option(VELMORA_WERROR "Treat warnings as errors" OFF)
add_compile_options(-Wall -Wextra)
if(VELMORA_WERROR)
    add_compile_options(-Werror)
endif()

# Checked builds verify the code's own promises (VELMORA_CHECKED): debug
# builds and the sanitizer build.
add_compile_definitions($<$<CONFIG:Debug>:VELMORA_CHECKED>)

if(VELMORA_SANITIZE)
    add_compile_definitions(VELMORA_CHECKED)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    # Line tables are all a sanitizer report needs, and without optimisation
    # its stack traces match the source line for line; this compiles in about
    # half the time of the optimised build with full debug information.
    add_compile_options(-O0 -g1)
    add_link_options(-fsanitize=address,undefined)
    # GCC's flow analysis reports false "maybe uninitialized" values in
    # sanitized code (std::variant in particular); the plain build keeps it.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
endif()
