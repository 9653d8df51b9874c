# Warnings are errors on gcc and clang alike.
function(qm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
