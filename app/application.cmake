# The window procedure, WinMain and the intro executable.
add_library(app STATIC ${CMAKE_SOURCE_DIR}/app/window_proc.cpp ${CMAKE_SOURCE_DIR}/app/win_main.cpp)
trelk_warnings(app)
target_link_libraries(app PUBLIC mainframe image presentation music scene display debug_log platform)

add_executable(trelk ${CMAKE_SOURCE_DIR}/app/main.cpp)
trelk_warnings(trelk)
target_link_libraries(trelk PRIVATE app resources)
