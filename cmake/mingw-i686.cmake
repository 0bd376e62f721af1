# Cross toolchain for 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PSL_MINGW_TRIPLE i686-w64-mingw32)
set(PSL_MINGW_DEPS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
