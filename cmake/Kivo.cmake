# kivo_module(<target> [DEPS <public targets>...] [LIBS <private libraries>...])
# One static library per folder, built from every .cpp in the folder and its
# subfolders. Headers are included by their path from the repository root.
function(kivo_module name)
  cmake_parse_arguments(M "" "" "DEPS;LIBS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex ${M_EXCLUDE})
    list(FILTER srcs EXCLUDE REGEX "${CMAKE_CURRENT_SOURCE_DIR}/${ex}")
  endforeach()
  if(NOT srcs)
    # A module whose first sources are still to come: headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${M_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${M_DEPS} PRIVATE ${M_LIBS})
endfunction()

# kivo_test(<name> [DEPS <targets>...] [LABEL <label>])
# One GoogleTest executable per module, from every .cpp in the current test
# folder, each test case registered with CTest and run headless.
function(kivo_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  # A subfolder with a CMakeLists.txt of its own builds its own tests.
  file(GLOB_RECURSE lists ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(list ${lists})
    get_filename_component(sub ${list} DIRECTORY)
    list(FILTER srcs EXCLUDE REGEX "^${sub}/")
  endforeach()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${T_DEPS} kivo_test_support GTest::gtest GTest::gmock)
  if(NOT T_LABEL)
    set(T_LABEL ${name})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Every test runs headless: TestEnvironment.cpp points SDL at its dummy
  # drivers before main, whoever starts the executable.
  target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
endfunction()
