# The program (app, log, display, scene, image, presentation, music) includes
# its own headers as "folder/file.h" from the top of the tree, and the stand-in
# only through the public headers that the platform target exports from
# platform/include. The top of the tree holds the stand-in's internals, the
# tests' and the tools' headers as well, and the system holds the libraries
# only the stand-in may use (SDL, X11, Wayland, libpng, FFmpeg, pixman); so the
# program's include path starts with a folder that has a stub for each of
# them: including one stops the compile. Tests, benchmarks, fuzz targets and
# tools see the whole tree instead.
set(TRELK_PLATFORM_FENCE ${CMAKE_BINARY_DIR}/platform_fence)
# Rewritten on every configure, so that a stub never outlives its header.
file(REMOVE_RECURSE ${TRELK_PLATFORM_FENCE})

function(trelk_fence_stubs root pattern what)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${root} ${root}/${pattern})
  foreach(header ${headers})
    file(WRITE ${TRELK_PLATFORM_FENCE}/${header}
         "#error \"${header}: ${what}\"\n")
  endforeach()
endfunction()

set(stand_in_only "the program includes the platform stand-in only through its public headers")
foreach(pattern platform/*.h platform/*.cpp tests/*.h tools/*.h)
  trelk_fence_stubs(${CMAKE_SOURCE_DIR} ${pattern} "${stand_in_only}")
endforeach()
# The system's headers of the libraries behind the stand-in, as the program
# would spell them (<SDL2/SDL.h>, <X11/Xlib.h>, <libavcodec/avcodec.h>, ...).
foreach(system_include /usr/include /usr/include/${CMAKE_LIBRARY_ARCHITECTURE})
  foreach(pattern SDL2/*.h X11/*.h wayland-*.h png.h pngconf.h libpng*/*.h pixman-1/*.h libavcodec/*.h
                  libavformat/*.h libavutil/*.h libswscale/*.h libswresample/*.h)
    trelk_fence_stubs(${system_include} ${pattern} "only the platform stand-in uses this library")
  endforeach()
endforeach()

# Every library and executable of the program: its warnings and its fence.
function(trelk_program target)
  trelk_warnings(${target})
  target_include_directories(${target} BEFORE PRIVATE ${TRELK_PLATFORM_FENCE} ${CMAKE_SOURCE_DIR})
endfunction()

# Proof that the fence holds: a program target that includes what it must not
# fails to compile, with the stub's message.
function(trelk_fence_probes)
  foreach(probe sdl ffmpeg stand_in)
    add_library(fence_probe_${probe} OBJECT EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/fence/${probe}_probe.cpp)
    trelk_program(fence_probe_${probe})
    target_link_libraries(fence_probe_${probe} PRIVATE platform)
    add_test(NAME fence_${probe} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target fence_probe_${probe})
    set_tests_properties(fence_${probe} PROPERTIES LABELS unit RESOURCE_LOCK build_tree
                         PASS_REGULAR_EXPRESSION "#error \"[^\"]+: (the program includes|only the platform)")
  endforeach()
endfunction()
