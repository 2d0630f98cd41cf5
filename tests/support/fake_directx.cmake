# The fake DirectX library: one set of counted, logging, failing fakes of the
# DirectDraw and Direct3D interfaces, and the DirectSound fake whose buffers
# record what is asked of them, for the tests and the benchmarks. Included
# from both, so that a build without tests still has it for the benchmarks.
if(NOT TARGET fake_directx)
  add_library(fake_directx STATIC
    ${CMAKE_CURRENT_LIST_DIR}/fake_world.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fake_direct_draw.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fake_direct3d.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fake_direct_sound.cpp)
  trelk_warnings(fake_directx)
  target_link_libraries(fake_directx PUBLIC platform)
endif()
