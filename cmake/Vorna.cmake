# Build helpers shared by every folder.

# Adds each named sub-folder of BASE that has a CMakeLists.txt.
function(vorna_add_subdirectories BASE)
  foreach(dir ${ARGN})
    if(EXISTS ${BASE}/${dir}/CMakeLists.txt)
      add_subdirectory(${BASE}/${dir})
    endif()
  endforeach()
endfunction()

# Adds every direct sub-folder of the current folder that has a CMakeLists.txt.
function(vorna_add_all_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# vorna_library(NAME <target> [RECURSE] [EXCLUDE <regex>...] [DEPS <targets>...])
# A static library of every .cpp in the current folder (and below with RECURSE).
function(vorna_library)
  cmake_parse_arguments(A "RECURSE" "NAME" "DEPS;EXCLUDE" ${ARGN})
  if(A_RECURSE)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  foreach(rx ${A_EXCLUDE})
    list(FILTER srcs EXCLUDE REGEX "${rx}")
  endforeach()
  add_library(${A_NAME} STATIC ${srcs})
  target_include_directories(${A_NAME} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${A_NAME} PUBLIC ${A_DEPS})
endfunction()

# vorna_gtest(NAME <target> [RESOURCE_LOCK <name>] [TIMEOUT <seconds>] [DEPS <targets>...])
# One test program of every .cpp in the current folder. Tests run headless:
# SDL's offscreen driver, OpenAL's null backend, and a private documents folder.
function(vorna_gtest)
  cmake_parse_arguments(A "" "NAME;RESOURCE_LOCK;TIMEOUT" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    message(STATUS "${A_NAME}: no test sources yet")
    return()
  endif()
  add_executable(${A_NAME} ${srcs})
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${A_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${A_NAME} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${A_NAME} PRIVATE
    VORNA_BIN_DIR="${VORNA_BIN_DIR}" VORNA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VORNA_TEST_TMP="${CMAKE_BINARY_DIR}/test-tmp")
  gtest_discover_tests(${A_NAME}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 30)
  # The discovered tests get their environment from a script run after the
  # discovery: gtest_discover_tests splits a list given as PROPERTIES, so only
  # the first variable would reach the tests. Leaks are not checked in tests
  # (llvmpipe keeps its own); options the caller sets in ASAN_OPTIONS (such as
  # scripts/test.sh's suppressions) are kept after that.
  set(env SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null NO_AT_BRIDGE=1
      XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-tmp/xdg)
  set(env_script ${CMAKE_CURRENT_BINARY_DIR}/${A_NAME}_env.cmake)
  file(WRITE ${env_script}
    "if(${A_NAME}_TESTS)\n"
    "  set_tests_properties(\${${A_NAME}_TESTS} PROPERTIES ENVIRONMENT \"${env}\"\n"
    "    ENVIRONMENT_MODIFICATION \"ASAN_OPTIONS=string_prepend:detect_leaks=0:\")\n")
  # Tests that share one resource (the X server's pointer) run one at a time,
  # and carry its name as a label (scripts/stress-tests.sh picks them by it).
  if(A_RESOURCE_LOCK)
    file(APPEND ${env_script}
      "  set_tests_properties(\${${A_NAME}_TESTS} PROPERTIES RESOURCE_LOCK ${A_RESOURCE_LOCK} LABELS ${A_RESOURCE_LOCK})\n")
  endif()
  # Tests that play a program for minutes in real time keep a time limit of
  # their own (above the runner's default) for a slow, busy machine.
  if(A_TIMEOUT)
    file(APPEND ${env_script}
      "  set_tests_properties(\${${A_NAME}_TESTS} PROPERTIES TIMEOUT ${A_TIMEOUT})\n")
  endif()
  file(APPEND ${env_script} "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_script})
endfunction()

# vorna_benchmark(NAME <target> SOURCES <files> DEPS <targets>)
function(vorna_benchmark)
  cmake_parse_arguments(A "" "NAME" "SOURCES;DEPS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${A_NAME} PRIVATE ${A_DEPS} benchmark::benchmark)
  target_compile_definitions(${A_NAME} PRIVATE VORNA_BIN_DIR="${VORNA_BIN_DIR}")
endfunction()

# vorna_fuzzer(NAME <target> SOURCES <files> DEPS <targets>)
# A libFuzzer target; scripts/fuzz.sh runs every target listed in fuzz-targets.txt.
function(vorna_fuzzer)
  cmake_parse_arguments(A "" "NAME" "SOURCES;DEPS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_include_directories(${A_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${A_NAME} PRIVATE ${A_DEPS})
  target_link_options(${A_NAME} PRIVATE -fsanitize=fuzzer)
  file(APPEND ${CMAKE_BINARY_DIR}/fuzz-targets.txt "${A_NAME}\n")
endfunction()
