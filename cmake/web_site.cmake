# The web site (build/web/site): the page, the program's .js, .wasm and worker
# script, the intro's picture for the start screen, and the service worker
# that isolates the page on hosts that send no isolation headers (the npm
# package coi-serviceworker, installed by scripts/build-web.sh).
set(TRELK_SITE_DIR ${CMAKE_BINARY_DIR}/site)
set_target_properties(trelk PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TRELK_SITE_DIR} SUFFIX .js
                      LINK_DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/page/debug_log_console.js)
# The page makes one instance of the program per run (createTrelk) and is
# told of it through Module.trelkPage; debug.log is a console device.
target_link_options(trelk PRIVATE
  -sMODULARIZE=1
  -sEXPORT_NAME=createTrelk
  -sENVIRONMENT=web,worker
  -sEXPORTED_FUNCTIONS=_main
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/platform/web/page/debug_log_console.js")

set(TRELK_COI_SERVICEWORKER
    ${CMAKE_SOURCE_DIR}/build/web-libraries/npm/node_modules/coi-serviceworker/coi-serviceworker.min.js
    CACHE FILEPATH "coi-serviceworker's script, from the npm registry")
if(NOT EXISTS ${TRELK_COI_SERVICEWORKER})
  message(FATAL_ERROR "${TRELK_COI_SERVICEWORKER} is missing: scripts/build-web.sh installs it")
endif()

set(page ${CMAKE_SOURCE_DIR}/platform/web/page)
set(site_sources ${page}/index.html ${page}/page.js ${page}/page.css ${page}/audio_worklet.js
                 ${CMAKE_SOURCE_DIR}/assets/picture.gif ${TRELK_COI_SERVICEWORKER})
set(site_names index.html page.js page.css audio_worklet.js picture.gif coi-serviceworker.js)
set(site_outputs "")
foreach(source name IN ZIP_LISTS site_sources site_names)
  add_custom_command(OUTPUT ${TRELK_SITE_DIR}/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${TRELK_SITE_DIR}/${name}
                     DEPENDS ${source})
  list(APPEND site_outputs ${TRELK_SITE_DIR}/${name})
endforeach()
add_custom_target(site ALL DEPENDS ${site_outputs} trelk)

# The composed frame's time as WebAssembly, for bench/web/web_bench.py.
add_subdirectory(${CMAKE_SOURCE_DIR}/bench/web ${CMAKE_BINARY_DIR}/bench/web EXCLUDE_FROM_ALL)
