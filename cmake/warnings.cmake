# Warnings as errors for the project's own targets.
function(kestrava_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror>
    $<$<CXX_COMPILER_ID:MSVC>:/W4 /WX>)
endfunction()
