# A cross build's bitmaps and sounds, drawn and synthesized by the native
# build that all cross builds share: it is pointed at the cross build's
# folders, then built. The cross build runs this under a lock on the shared
# build, so that no other build re-points it meanwhile. It compiles with the
# default preset's flags, so that the compiler cache serves the objects one
# of the two builds compiled to the other.
#
#   cmake -DTW_SOURCE_DIR=S -DTW_NATIVE_DIR=N -DTW_GENERATOR=G
#         -DTW_ARTWORK_DIR=A -DTW_SOUND_DIR=D -P native_artwork.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -G ${TW_GENERATOR} -S ${TW_SOURCE_DIR} -B ${TW_NATIVE_DIR}
          -DTW_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
          "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
          -DTW_ARTWORK_DIR=${TW_ARTWORK_DIR} -DTW_SOUND_DIR=${TW_SOUND_DIR}
  COMMAND_ERROR_IS_FATAL ANY)
# pe_bitmaps too, for scripts/check-exports on the Windows DLLs.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${TW_NATIVE_DIR} --target artwork pe_bitmaps
                COMMAND_ERROR_IS_FATAL ANY)
