# What a program started by the user asks of Windows before it runs: the device
# installer's device list, the window manager's message boxes and metrics, and the
# user's token groups (included by this folder's CMakeLists.txt).
target_sources(rvd_win32_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/SetupDeviceList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/WindowCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/SecurityCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/NamedObjectFailures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/RegistryOpens.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/ScriptedProcesses.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/DesktopReset.cpp)

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  rvd_add_test(NAME win32_desktop_calls_tests LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/SetupDeviceListTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/DesktopCallsTest.cpp
    LIBS rvd_win32_platform)
endif()
