# The Windows programs for 64-bit x86 (the GUI test runs them under wine64).
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_toolchain.cmake)
