# Project-wide helpers: warnings, sanitizers, tests and fuzz targets are set per target.

# Warnings and strict Qt defines for every target of ours.
function(quiltmap_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(QUILTMAP_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE
    QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER)
  if(QUILTMAP_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(QUILTMAP_SANITIZE_THREADS)
    target_compile_options(${target} PRIVATE -fsanitize=thread)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
  if(QUILTMAP_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Linked too, so that executables without libFuzzer (the seed generators) get its hooks'
    # stubs when no sanitizer runtime brings them.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# quiltmap_add_library(name [QT_GUI] SOURCES ... LIBS ...)
# A static library with the project's defaults; its folder's parent (src/) is on the include path,
# so headers are included as "sheet/raster.h".
function(quiltmap_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  quiltmap_target_defaults(${name})
endfunction()

# quiltmap_add_test(name [GUI] SOURCES ... LIBS ...)
# A GoogleTest executable registered with CTest. GUI tests get a main that creates a QApplication
# on the offscreen platform.
function(quiltmap_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE quiltmap_gui_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock quiltmap_test_support ${ARG_LIBS})
  quiltmap_target_defaults(${name})
  # The code under test keeps the build type's optimisation; the test code's own, mostly expanded
  # GoogleTest macros, compiles in two thirds of the time at -O1 and runs about as fast.
  target_compile_options(${name} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-O1>)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# quiltmap_add_fuzzer(name SOURCE file.cpp [SEEDS generator-target] LIBS ...)
# The source defines LLVMFuzzerTestOneInput. With QUILTMAP_FUZZ on clang it links libFuzzer;
# otherwise it gets a replay main. SEEDS names an executable that writes a seed corpus into the
# folder given as its argument; the fuzz script and the replay test both use it. The minimised
# corpus of long fuzzing runs (fuzz/corpus/<name>/) and the inputs that once crashed or hung the
# target (fuzz/crashers/<name>/) replay as a test too.
function(quiltmap_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE;SEEDS" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCE})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  quiltmap_target_defaults(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)
  if(QUILTMAP_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_link_libraries(${name} PRIVATE quiltmap_fuzz_replay_main)
  endif()
  add_dependencies(quiltmap_fuzzers ${name})
  set(seeds ${PROJECT_BINARY_DIR}/fuzz/seeds/${name})
  if(ARG_SEEDS)
    set_target_properties(${ARG_SEEDS} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)
    add_dependencies(quiltmap_fuzzers ${ARG_SEEDS})
    if(QUILTMAP_BUILD_TESTS)
      add_test(NAME ${name}.seeds COMMAND ${ARG_SEEDS} ${seeds})
      set_tests_properties(${name}.seeds PROPERTIES FIXTURES_SETUP ${name}_seeds)
    endif()
  endif()
  if(QUILTMAP_BUILD_TESTS)
    set(inputs)
    if(ARG_SEEDS)
      list(APPEND inputs ${seeds})
    endif()
    foreach(folder corpus crashers)
      if(EXISTS ${PROJECT_SOURCE_DIR}/fuzz/${folder}/${name})
        list(APPEND inputs ${PROJECT_SOURCE_DIR}/fuzz/${folder}/${name})
      endif()
    endforeach()
    if(inputs AND NOT QUILTMAP_FUZZ)
      add_test(NAME ${name}.replay COMMAND ${name} ${inputs})
      if(ARG_SEEDS)
        set_tests_properties(${name}.replay PROPERTIES FIXTURES_REQUIRED ${name}_seeds)
      endif()
    endif()
  endif()
endfunction()
