# The program-wide objects, the window procedure, WinMain and the intro
# executable. Included after every folder, because they join them all.
add_library(mainframe STATIC ${CMAKE_SOURCE_DIR}/app/mainframe.cpp ${CMAKE_SOURCE_DIR}/app/program_objects.cpp)
trelk_warnings(mainframe)
target_link_libraries(mainframe PUBLIC display scene debug_log platform)

add_library(app STATIC ${CMAKE_SOURCE_DIR}/app/window_proc.cpp ${CMAKE_SOURCE_DIR}/app/win_main.cpp)
trelk_warnings(app)
target_link_libraries(app PUBLIC mainframe presentation image music scene display debug_log platform)

add_executable(trelk ${CMAKE_SOURCE_DIR}/app/main.cpp)
trelk_warnings(trelk)
target_link_libraries(trelk PRIVATE app resources)
