# The warning set for our own code, chosen per compiler, and the sanitizer build.
#
# Warnings are errors in our own code only; the libraries' headers come in as system
# headers. GCC 12 at -O3 reports false overlaps inside std::string concatenation
# (-Wrestrict), so that one warning is off there; Clang has no such warning.
set(KOLMARIN_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND KOLMARIN_WARNINGS -Wno-restrict)
endif()

# KOLMARIN_SANITIZE builds everything, tests included, with AddressSanitizer (and its
# leak checker) and UndefinedBehaviorSanitizer; the first report ends the process.
option(KOLMARIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KOLMARIN_SANITIZE)
  set(KOLMARIN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${KOLMARIN_SANITIZER_FLAGS})
  add_link_options(${KOLMARIN_SANITIZER_FLAGS})
endif()

