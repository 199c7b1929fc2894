# libFuzzer targets (clang only). A fuzz build is configured by scripts/fuzz.sh with
# RVD_FUZZ=ON; ordinary builds skip every fuzz target.
#
# rvd_add_fuzz_target(NAME fuzz_x SOURCES ... [LIBS ...]
#                     SEED_COMMAND cmd [args...] [DICT file] [MAX_LEN bytes])
# Builds one fuzz program and writes bin/fuzz/<NAME>.env, which scripts/fuzz.sh reads:
# the program, the command that fills a seed folder (the folder is passed as its last
# argument; a command naming a target of this build runs that target's program), the
# dictionary and the largest input worth trying.
option(RVD_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(RVD_FUZZ)
  add_custom_target(rvd_fuzz_targets)
endif()

function(rvd_add_fuzz_target)
  if(NOT RVD_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "NAME;DICT;MAX_LEN" "SOURCES;LIBS;SEED_COMMAND" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  add_dependencies(rvd_fuzz_targets ${F_NAME})
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 65536)
  endif()
  set(dict "")
  if(F_DICT)
    get_filename_component(dict ${F_DICT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  list(GET F_SEED_COMMAND 0 seed_program)
  set(seed_args ${F_SEED_COMMAND})
  list(REMOVE_AT seed_args 0)
  if(TARGET ${seed_program})
    add_dependencies(rvd_fuzz_targets ${seed_program})
    set(seed_program "$<TARGET_FILE:${seed_program}>")
  elseif(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${seed_program})
    set(seed_program ${CMAKE_CURRENT_SOURCE_DIR}/${seed_program})
  endif()
  string(REPLACE ";" " " seed_args "${seed_args}")
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/bin/fuzz/${F_NAME}.env CONTENT
"program='$<TARGET_FILE:${F_NAME}>'
seed_command='${seed_program} ${seed_args}'
dict='${dict}'
max_len=${F_MAX_LEN}
")
endfunction()
