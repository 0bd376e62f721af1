# Cross toolchain for 64-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PSL_MINGW_TRIPLE x86_64-w64-mingw32)
set(PSL_MINGW_DEPS win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
