# 64-bit Windows. The product is the 32-bit build; this one serves the Wine
# tests on machines that cannot run 32-bit code (see tools/setup/wine-arch.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
