# rvd_folder_wanted(<path relative to the source root> <out-var>): whether RVD_ONLY asks
# for that folder. An empty RVD_ONLY wants every folder; an entry wants itself, every
# folder below it, and the folders above it that lead there (so "console/shell/ini"
# builds the INI parser without the rest of the console).
function(rvd_folder_wanted path out)
  set(wanted FALSE)
  if(NOT RVD_ONLY)
    set(wanted TRUE)
  endif()
  foreach(entry IN LISTS RVD_ONLY)
    string(FIND "${path}/" "${entry}/" below)
    string(FIND "${entry}/" "${path}/" above)
    if(below EQUAL 0 OR above EQUAL 0)
      set(wanted TRUE)
    endif()
  endforeach()
  set(${out} ${wanted} PARENT_SCOPE)
endfunction()

# rvd_add_subfolders(): adds every subfolder of the current folder that has its own
# CMakeLists.txt, in name order. Folders that hold several modules (fssupport/,
# engines/, console/shell/, platform/modules/, bench/, res/) use it, so a new module
# joins the build by existing.
function(rvd_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  file(RELATIVE_PATH here ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      rvd_folder_wanted("${here}/${child}" wanted)
      if(wanted)
        add_subdirectory(${child})
      endif()
    endif()
  endforeach()
endfunction()
