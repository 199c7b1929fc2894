# rvd_add_subfolders(): adds every subfolder of the current folder that has its own
# CMakeLists.txt, in name order. Folders that hold several modules (fssupport/,
# engines/, console/shell/, platform/modules/, bench/, res/) use it, so a new module
# joins the build by existing.
function(rvd_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
