# One INTERFACE target carries the language level and the warning flags; every target links it.
# Warnings become errors with -DCMAKE_COMPILE_WARNING_AS_ERROR=ON, as the test command builds.
add_library(kalmoro_options INTERFACE)
target_compile_features(kalmoro_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_options(kalmoro_options INTERFACE -Wall -Wextra -Wpedantic)

# Debian's hardening: stack protector, fortified C library calls (they need optimisation, so not in
# Debug builds), position-independent programs, and a read-only relocation table bound at start.
option(KALMORO_HARDENING "Build with Debian's hardening flags" ON)
if(KALMORO_HARDENING AND NOT KALMORO_ASAN AND NOT KALMORO_FUZZ)
  target_compile_options(kalmoro_options INTERFACE -fstack-protector-strong -fstack-clash-protection
                                                   $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  target_link_options(kalmoro_options INTERFACE -pie -Wl,-z,relro -Wl,-z,now)
endif()

if(KALMORO_ASAN)
  # float-cast-overflow is not part of GCC's "undefined": a double out of an int's range is undefined too.
  target_compile_options(kalmoro_options INTERFACE -fsanitize=address,undefined,float-cast-overflow
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kalmoro_options INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()

# Coverage instrumentation for the libFuzzer targets (clang); undefined behaviour stops the run, so that
# the fuzzer reports it with its input.
if(KALMORO_FUZZ)
  target_compile_options(kalmoro_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                   -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kalmoro_options INTERFACE -fsanitize=address,undefined)
endif()
