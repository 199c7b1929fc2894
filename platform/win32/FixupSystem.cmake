# The registry, volume names, mount points and the files of volumes that a restored
# Windows is fixed up through (included by this folder's CMakeLists.txt).
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/ntfsfile ${CMAKE_CURRENT_BINARY_DIR}/ntfsfile)
find_package(PkgConfig REQUIRED)
pkg_check_modules(KS_HIVEX REQUIRED IMPORTED_TARGET hivex)
target_sources(rvd_win32_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/DiskLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/VolumeNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/MountManagerDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/ArrivedDisk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/ArrivedDisks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/ArrivedDiskDevices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/Registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/LoadedHive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/RegistryCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/TokenCalls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/VolumeFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/FlushCalls.cpp)
target_link_libraries(rvd_win32_platform PRIVATE rvd_ntfs_file PkgConfig::KS_HIVEX)

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  # Fixture scripts make NTFS folders with this tool.
  add_executable(NtfsFolderTool ${CMAKE_SOURCE_DIR}/tests/fixtures/restore/NtfsFolderTool.cpp)
  target_link_libraries(NtfsFolderTool PRIVATE rvd_ntfs_file)

  # The registry, hives, volume names and volume files over real disk images.
  rvd_add_test(NAME win32_fixup_system_tests LABEL fs
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/RegistryTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/VolumeFilesTest.cpp
    LIBS rvd_win32_platform rvd_fixtures rvd_diskmap)
  target_include_directories(win32_fixup_system_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
  target_compile_definitions(win32_fixup_system_tests PRIVATE RVD_NTFS_FOLDER_TOOL="$<TARGET_FILE:NtfsFolderTool>")
  add_dependencies(win32_fixup_system_tests NtfsFolderTool)
endif()
