# One INTERFACE target carries the language level and the warning flags; every target links it.
add_library(kalmoro_options INTERFACE)
target_compile_features(kalmoro_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_options(kalmoro_options INTERFACE -Wall -Wextra -Wpedantic)
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "" AND NOT "$ENV{CI}" STREQUAL "false")
  target_compile_options(kalmoro_options INTERFACE -Werror)
endif()

if(KALMORO_ASAN)
  target_compile_options(kalmoro_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=undefined)
  target_link_options(kalmoro_options INTERFACE -fsanitize=address,undefined)
endif()

# Coverage instrumentation for the libFuzzer target (clang).
if(KALMORO_FUZZ)
  target_compile_options(kalmoro_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(kalmoro_options INTERFACE -fsanitize=address,undefined)
endif()
