# The device installer, the configuration manager, the driver update call, system
# modules' calls by name, WOW64 and private heaps: what a program that installs or
# finds a driver's devices asks of Windows (included by this folder's CMakeLists.txt).
target_sources(rvd_win32_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/SetupMachine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/SetupInterfaces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/SetupInfFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/SetupInfClass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/SetupInstallCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/ConfigManagerCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/ModuleCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/HeapCalls.cpp)

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  rvd_add_test(NAME win32_device_install_tests LABEL unit
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/DeviceInterfaceTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/DeviceInstallTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/ModuleCallsTest.cpp
    LIBS rvd_win32_platform)
endif()
