# Warnings on for our own targets; call trelk_warnings(target) after add_library/add_executable.
function(trelk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference -Wformat=2)
endfunction()
