# Shared part of the MinGW-w64 toolchains; the including file sets
# PSL_MINGW_TRIPLE and PSL_MINGW_DEPS (the folder under build/deps).
# The -posix compilers carry std::thread and std::mutex; the -win32 ones do not.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PSL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PSL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PSL_MINGW_TRIPLE}-windres)
# Our own Windows builds of libjpeg and GoogleTest live beside the MinGW root.
get_filename_component(_psl_deps "${CMAKE_CURRENT_LIST_DIR}/../build/deps/${PSL_MINGW_DEPS}" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/${PSL_MINGW_TRIPLE} ${_psl_deps})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
