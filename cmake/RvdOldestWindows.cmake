# rvd_link_oldest_windows_calls(<folder>): links platform/oldest-windows into every
# DLL and program of the Windows build under <folder>, so that none imports a kernel
# call the oldest supported Windows lacks (see NewerSystemCalls.c there).
function(rvd_link_oldest_windows_calls folder)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY" OR type STREQUAL "EXECUTABLE")
      target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/oldest-windows/NewerSystemCalls.c)
      # Its own unit: the slots must not share a batch with another file's names.
      set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/oldest-windows/NewerSystemCalls.c
        TARGET_DIRECTORY ${target} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
  get_property(children DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(child IN LISTS children)
    rvd_link_oldest_windows_calls(${child})
  endforeach()
endfunction()
