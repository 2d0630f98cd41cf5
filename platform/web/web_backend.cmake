# The web backend's link: the program runs on a thread of its own
# (PROXY_TO_PTHREAD) so that its message loop may block; its music, timer and
# sound threads come from a pool made before it starts (a thread cannot wait
# for a new worker to load). The page makes one instance per run
# (MODULARIZE) and is told through Module.trelkPage.
# The page's side of a call is JavaScript written inline (EM_ASM), whose
# arguments are $0, $1, ...
target_compile_options(platform PRIVATE -Wno-dollar-in-identifier-extension)
target_link_options(platform INTERFACE
  -pthread
  -sPROXY_TO_PTHREAD=1
  -sPTHREAD_POOL_SIZE=8
  -sMODULARIZE=1
  -sEXPORT_NAME=createTrelk
  -sEXIT_RUNTIME=1
  -sINITIAL_MEMORY=134217728
  -sENVIRONMENT=web,worker
  -sEXPORTED_FUNCTIONS=_main
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString
  "SHELL:--pre-js ${CMAKE_CURRENT_LIST_DIR}/page/debug_log_console.js")
