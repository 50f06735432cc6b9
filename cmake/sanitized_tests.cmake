# A second host build in <build>/sanitize, made with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer and the libFuzzer targets, without the Windows cross build. The
# tests of this build configure and build it (sanitize.build, a fixture) and run its unit tests,
# its POSIX end-to-end tests and its fuzz targets, so that one ctest run covers all of them.
# Label sanitize selects the sanitized tests, label fuzz the fuzz runs alone.
set(LAUNCHER_SANITIZE_DIR ${CMAKE_BINARY_DIR}/sanitize)

add_test(NAME sanitize.build
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/sanitize.sh build ${LAUNCHER_SANITIZE_DIR})
set_tests_properties(sanitize.build PROPERTIES
  FIXTURES_SETUP sanitized LABELS "sanitize;fuzz" TIMEOUT 1800)

foreach(group unit posix fuzz)
  add_test(NAME sanitize.${group}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/sanitize.sh test ${LAUNCHER_SANITIZE_DIR} -L ${group})
  set_tests_properties(sanitize.${group} PROPERTIES
    FIXTURES_REQUIRED sanitized LABELS sanitize TIMEOUT 1800)
endforeach()
set_tests_properties(sanitize.fuzz PROPERTIES LABELS "sanitize;fuzz")
