# Warnings on and treated as errors for our own code (never for third-party code).
function(orvane_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
      -Wno-missing-field-initializers)
  endif()
endfunction()
