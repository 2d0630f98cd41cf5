# The program (app, log, display, scene, image, presentation, music) includes its own headers as "folder/file.h" from the top of the
# tree, and the stand-in only through the public headers that the platform
# target exports from platform/include. The top of the tree holds the
# stand-in's internals as well, so the program's include path starts with a
# folder that has a stub for each of them: including one stops the compile.
# Tests, benchmarks, fuzz targets and tools see the whole tree instead.
set(TRELK_PLATFORM_FENCE ${CMAKE_BINARY_DIR}/platform_fence)
file(GLOB_RECURSE platform_internals CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
     ${CMAKE_SOURCE_DIR}/platform/*.h ${CMAKE_SOURCE_DIR}/platform/*.cpp)
# Rewritten on every configure, so that a stub never outlives its header.
file(REMOVE_RECURSE ${TRELK_PLATFORM_FENCE})
foreach(internal ${platform_internals})
  file(WRITE ${TRELK_PLATFORM_FENCE}/${internal}
       "#error \"${internal}: the program includes the platform stand-in only through its public headers\"\n")
endforeach()

# Call after add_library/add_executable for every target of the program.
function(trelk_program target)
  target_include_directories(${target} PRIVATE ${TRELK_PLATFORM_FENCE} ${CMAKE_SOURCE_DIR})
endfunction()
