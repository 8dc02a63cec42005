# Warnings are errors everywhere in the project's own code.
add_compile_options(-Wall -Wextra -Werror)

if(VELMORA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    # GCC's flow analysis reports false "maybe uninitialized" values in
    # sanitized code (std::variant in particular); the plain build keeps it.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
endif()
