# The sources of the Win32-call layer over POSIX, for the two builds of it:
# rvd_add_win32_layer (a module's own static copy, with the standalone sources) and
# the engines' shared platform layer in platform/win32 (with its own handle table,
# drive table and clock in place of the standalone sources).
set(RVD_WIN32_LAYER_COMMON_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/src/ErrnoToWin32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/LastError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/PosixCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MultiBytePath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/FileCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/FileIo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/FileSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/FindCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/TimeCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MemoryCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/GuidCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/WideString.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/WildcardMatch.cpp)
set(RVD_WIN32_LAYER_STANDALONE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/src/standalone/DescriptorHandles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/standalone/NoDrivePaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/standalone/MonotonicTickCount.cpp)
set(RVD_WIN32_LAYER_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/include)
set(RVD_WIN32_LAYER_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/src)
