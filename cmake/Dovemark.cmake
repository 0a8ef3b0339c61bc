# One library per top folder: every .cpp below the folder belongs to it, so adding a
# source file needs no edit here.
function(dovemark_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(NOT srcs)
    set(srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/platform)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM_DEPS})
endfunction()

# dovemark_add_fuzzer(<name> SOURCES file... [LIBS -lname...] ARGS arg...): a libFuzzer target built by clang
# whatever compiler builds the rest (so by a command of its own), and its brief CTest smoke run
# over <folder>/corpus (registered by tests/, where testing is enabled). ARGS go to that run. New
# inputs go to the build folder, never into the sources.
function(dovemark_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  find_program(DOVEMARK_CLANGXX NAMES clang++ clang++-14)
  if(NOT DOVEMARK_CLANGXX)
    return()
  endif()
  set(fuzz_bin ${CMAKE_CURRENT_BINARY_DIR}/${name}er)
  add_custom_command(
    OUTPUT ${fuzz_bin}
    COMMAND ${DOVEMARK_CLANGXX} -std=c++20 -gline-tables-only -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -I${PROJECT_SOURCE_DIR} -I${PROJECT_SOURCE_DIR}/platform
            -MD -MF ${fuzz_bin}.d ${ARG_SOURCES} ${ARG_LIBS} -o ${fuzz_bin}
    DEPFILE ${fuzz_bin}.d
    DEPENDS ${ARG_SOURCES}
    COMMENT "Building ${name}er with clang"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${fuzz_bin})
  set_property(GLOBAL APPEND PROPERTY DOVEMARK_FUZZ_SMOKE_TESTS ${name}_smoke)
  set_property(GLOBAL PROPERTY DOVEMARK_FUZZ_SMOKE_${name}_smoke ${fuzz_bin} ${ARG_ARGS})
  set_property(GLOBAL PROPERTY DOVEMARK_FUZZ_CORPUS_${name}_smoke ${CMAKE_CURRENT_SOURCE_DIR}/corpus)
endfunction()
