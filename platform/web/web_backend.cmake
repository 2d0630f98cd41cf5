# The web backend's link: the program runs on a thread of its own
# (PROXY_TO_PTHREAD) so that its message loop may block; its music, timer,
# sound and input threads come from a pool made before it starts (a thread
# cannot wait for a new worker to load). The page's own part of the link
# (one instance per run, debug.log on the console) is in cmake/web_site.cmake.
# The page's side of a call is JavaScript written inline (EM_ASM), whose
# arguments are $0, $1, ...
target_compile_options(platform PRIVATE -Wno-dollar-in-identifier-extension)
target_link_options(platform INTERFACE
  -pthread
  -sPROXY_TO_PTHREAD=1
  -sPTHREAD_POOL_SIZE=8
  -sEXIT_RUNTIME=1
  -sINITIAL_MEMORY=134217728)
