# Compile flags of the fuzz build (VIGIL_FUZZ): every object of the project is
# built with libFuzzer's coverage instrumentation, AddressSanitizer and
# UndefinedBehaviorSanitizer, so the targets in fuzz/ run the project's real
# code. Only clang has libFuzzer.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VIGIL_FUZZ needs clang (configure with CC=clang-14 CXX=clang++-14)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)

# The arena poisons what it has not handed out, and leaves a poisoned gap
# after each allocation, when __SANITIZE_ADDRESS__ is defined. GCC defines it
# under AddressSanitizer; clang 14 only answers __has_feature, so define it
# here where the compiler does not.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fsanitize=address)
check_cxx_source_compiles("
#ifndef __SANITIZE_ADDRESS__
#error no macro
#endif
int main() { return 0; }" VIGIL_COMPILER_DEFINES_SANITIZE_ADDRESS)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT VIGIL_COMPILER_DEFINES_SANITIZE_ADDRESS)
  add_compile_definitions(__SANITIZE_ADDRESS__=1)
endif()
