# kor_test(NAME SOURCES file... [LIBS target...] [NEEDS target...] [DEFINES def...]
#          [INCLUDES dir...] [PREFIX prefix] [OWN_MAIN] [PRE_TEST] [NO_DISCOVER]
#          [PROPERTIES prop value...])
#
# One test program: built from SOURCES and linked with LIBS (and GoogleTest's main unless the
# program brings its own, OWN_MAIN); NEEDS names what it runs (korcad, the module, the sample
# databases) so that is built first. Every test program knows where those are:
#   KORCAD_PATH, KORCAD_DB_PATH   the programs korcad and korcad-db
#   EXAMPLES_DIR                  the sample drawing, LISP programs and answers files
#   KOR_SAMPLE_DB_DIR             the sample databases as built
# Its tests are found with gtest_discover_tests (names prefixed with PREFIX) and run with the
# debug log off, plus any further PROPERTIES; PRE_TEST lists them when ctest runs instead of
# after the build (for programs that need others built first); NO_DISCOVER leaves the
# discovery to the caller.
# (The discovery passes one environment variable only; scripts/test.sh sets the rest, such as
# Qt's offscreen platform, for the whole run.)
set(KOR_TEST_ENV "KOR_DEBUGLOG=off")

function(kor_test name)
  cmake_parse_arguments(T "OWN_MAIN;NO_DISCOVER;PRE_TEST" "PREFIX" "SOURCES;LIBS;NEEDS;DEFINES;INCLUDES;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  if(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    KORCAD_PATH="$<TARGET_FILE:korcad>" KORCAD_DB_PATH="$<TARGET_FILE:korcad-db>"
    EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples" KOR_SAMPLE_DB_DIR="${CMAKE_BINARY_DIR}/share/kor/db"
    ${T_DEFINES})
  # The tests' shared support (tests/support) is seen by every test.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support ${T_INCLUDES})
  if(T_NEEDS)
    add_dependencies(${name} ${T_NEEDS})
  endif()
  if(NOT T_NO_DISCOVER)
    set(mode POST_BUILD)
    if(T_PRE_TEST)
      set(mode PRE_TEST)
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE ${mode} TEST_PREFIX "${T_PREFIX}"
                         PROPERTIES ${T_PROPERTIES} ENVIRONMENT "${KOR_TEST_ENV}")
  endif()
endfunction()
