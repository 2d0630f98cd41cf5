# TRELK_SANITIZE=fuzzer instruments everything for libFuzzer with the address and UB sanitizers.
# TRELK_SANITIZE=address adds AddressSanitizer with UndefinedBehaviorSanitizer; thread adds ThreadSanitizer.
if(TRELK_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TRELK_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(TRELK_SANITIZE STREQUAL "fuzzer")
  # Coverage for libFuzzer in every library; the fuzz targets add the fuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT TRELK_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TRELK_SANITIZE must be address, thread or empty")
endif()
