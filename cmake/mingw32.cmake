# The Windows programs for 32-bit x86, the build users get.
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_toolchain.cmake)
