# Warnings and sanitizers go on our own targets only, never globally, so that
# third-party code and Qt's generated sources are left alone.
function(mouthkey_target_options target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            # GCC 12 reports std::string concatenation as overlapping memcpy
            # (GCC bug 105329), a false positive that -Werror would turn fatal.
            target_compile_options(${target} PRIVATE -Wno-restrict)
        endif()
        if(MOUTHKEY_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
        if(MOUTHKEY_SANITIZE)
            target_compile_options(${target} PRIVATE
                -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
            target_link_options(${target} PRIVATE -fsanitize=address,undefined)
        endif()
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8)
        if(MOUTHKEY_WERROR)
            target_compile_options(${target} PRIVATE /WX)
        endif()
    endif()
endfunction()
