# The browser build: em++ from Debian's emscripten package. Its JavaScript
# optimizer (at -O1 and above) needs acorn, which Debian ships for node under
# /usr/share/nodejs; the link rules of web/ set NODE_PATH for it.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# Optimised, without debug information: the build runs in CI on two cores.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)

# em++ is a Python program: every run spends about half a second starting up
# before clang does any work. For a compile it only passes clang its target
# flags, which it prints on request (em++ --cflags), so each source compiles
# with that clang and those flags directly; em++ still links.
# Asked at every configure, so that an upgraded emscripten is followed.
execute_process(COMMAND em++ --cflags OUTPUT_VARIABLE TW_EM_CFLAGS
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND em++ -v -E -x c++ /dev/null OUTPUT_QUIET ERROR_VARIABLE TW_EM_VERBOSE
                COMMAND_ERROR_IS_FATAL ANY)
if(NOT TW_EM_VERBOSE MATCHES "\"([^\"]*clang\\+\\+[^\"]*)\" -target wasm32")
  message(FATAL_ERROR "em++ -v names no clang++ that it runs:\n${TW_EM_VERBOSE}")
endif()
set(CMAKE_CXX_COMPILE_OBJECT
    "${CMAKE_MATCH_1} ${TW_EM_CFLAGS} <DEFINES> <INCLUDES> <FLAGS> -o <OBJECT> -c <SOURCE>")
