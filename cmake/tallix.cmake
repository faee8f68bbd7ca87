# tallix_add_test(NAME source... LIBS lib... [LABELS label...])
# A GoogleTest executable registered with ctest case by case.
function(tallix_add_test name)
  cmake_parse_arguments(T "" "" "LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TALLIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TALLIX_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${T_LABELS}")
endfunction()

# tallix_add_bench(NAME source... LIBS lib...)
function(tallix_add_bench name)
  cmake_parse_arguments(B "" "" "LIBS" ${ARGN})
  add_executable(${name} ${B_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
