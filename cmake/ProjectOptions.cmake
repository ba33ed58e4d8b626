# Warnings, sanitizers and the helper every test folder uses to register GoogleTest binaries.

add_library(cpe_options INTERFACE)
target_compile_options(cpe_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
                                               -Woverloaded-virtual -Wformat=2 -Wcast-align)
if(CPE_WERROR)
  target_compile_options(cpe_options INTERFACE -Werror)
endif()
# Optimising, GCC 12 reports a false -Wrestrict inside std::string's operator+ (GCC bug 105651).
if(CMAKE_CXX_COMPILER_ID STREQUAL GNU AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(cpe_options INTERFACE $<$<NOT:$<CONFIG:Debug>>:-Wno-restrict>)
endif()
target_compile_definitions(cpe_options INTERFACE CPE_VERSION_TEXT="${PROJECT_VERSION}")
# The program folder under the install prefix (cmake/Install.cmake): executable, adapter library,
# resources and the helper servers.
set(CPE_INSTALL_PROGRAM_DIR lib/cpe-manager)

if(CPE_SANITIZE)
  string(REPLACE ";" "," _cpe_san "${CPE_SANITIZE}")
  add_compile_options(-fsanitize=${_cpe_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_cpe_san})
endif()

# The fuzz build instruments every target for coverage and AddressSanitizer + UBSan, so a fuzzer
# is guided by the code it reaches in the libraries too, not only by its own entry file.
if(CPE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# cpe_add_test(NAME name LABEL unit|gui|e2e|bench SOURCES ... LIBS ... [TIMEOUT s])
function(cpe_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE cpe_options ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${T_NAME}
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data-home"
    DISCOVERY_TIMEOUT 60)
endfunction()

# cpe_add_fuzzer(NAME name SOURCES fuzz-entry.cpp LIBS ... CORPUS folder)
# A libFuzzer entry. With CPE_FUZZ (clang) it builds the fuzzer `name` (all of them: target
# `fuzzers`; their list with binaries and corpora: fuzzers.txt in the build tree, read by
# tools/fuzz.sh); in every preset `name`_replay replays the seed corpus as the unit test
# `name`_corpus.
function(cpe_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME}_replay ${F_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/fuzz_replay_main.cpp)
  target_link_libraries(${F_NAME}_replay PRIVATE cpe_options ${F_LIBS})
  add_test(NAME ${F_NAME}_corpus COMMAND ${F_NAME}_replay ${F_CORPUS})
  set_tests_properties(${F_NAME}_corpus PROPERTIES LABELS unit TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tools/lsan-qt.supp")
  if(CPE_FUZZ)
    add_executable(${F_NAME} ${F_SOURCES})
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE cpe_options ${F_LIBS})
    if(NOT TARGET fuzzers)
      add_custom_target(fuzzers)
    endif()
    add_dependencies(fuzzers ${F_NAME})
    set_property(GLOBAL APPEND PROPERTY CPE_FUZZERS "${F_NAME} $<TARGET_FILE:${F_NAME}> ${F_CORPUS}")
  endif()
endfunction()

# Sources include each other by folder ("protocol/records.h"); generated headers sit in the
# build tree. Every project target links cpe_options.
target_include_directories(cpe_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
