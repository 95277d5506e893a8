# 64-bit Windows, the build the installer engine here can run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
