# The browser build: em++ from Debian's emscripten package. Its JavaScript
# optimizer (at -O1 and above) needs acorn, which Debian ships for node under
# /usr/share/nodejs; the link rules of web/ set NODE_PATH for it.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# Optimised, without debug information: the build runs in CI on two cores.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
