# Helpers shared by every module's CMakeLists.txt.

# quillory_test(NAME SOURCES... LIBS...) — a GoogleTest executable registered with CTest.
function(quillory_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()

# quillory_bench(NAME SOURCES... LIBS...) — a Google Benchmark executable, run by `make bench`.
function(quillory_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
    # The shared test support's headers (support/median.h…).
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benches)
endfunction()

# quillory_fuzz(NAME SOURCES... LIBS...) — a libFuzzer target, run by `make fuzz`.
function(quillory_fuzz name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzzers)
endfunction()

# quillory_headers(TARGET FOLDER PUBLIC headers...) — what other modules may include from
# src/FOLDER: the listed headers, as "FOLDER/header.h", and nothing else of src/. The target
# itself sees all of its folder; TARGET_internal carries the same view to the module's own
# programs, tests, benchmarks and fuzzers.
function(quillory_headers target folder)
    cmake_parse_arguments(ARG "" "" "PUBLIC" ${ARGN})
    set(public ${CMAKE_BINARY_DIR}/include/${target})
    set(private ${CMAKE_BINARY_DIR}/include-private/${target})
    file(REMOVE_RECURSE ${public} ${private})
    foreach(header IN LISTS ARG_PUBLIC)
        get_filename_component(dir ${public}/${folder}/${header} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder}/${header} ${public}/${folder}/${header}
             SYMBOLIC)
    endforeach()
    get_filename_component(dir ${private}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${private}/${folder} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${public} PRIVATE ${private})
    add_library(${target}_internal INTERFACE)
    target_include_directories(${target}_internal INTERFACE ${private})
    target_link_libraries(${target}_internal INTERFACE ${target})
endfunction()
