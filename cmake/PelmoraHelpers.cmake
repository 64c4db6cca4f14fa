# pelmora_add_module(DIR): adds a module folder that has a CMakeLists.txt. A widgets/ folder is
# left out of a build without Qt.
function(pelmora_add_module dir)
    if(dir STREQUAL "widgets" AND NOT PELMORA_QT)
        return()
    endif()
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endfunction()

# pelmora_add_children(): adds every child folder of the current folder that has a CMakeLists.txt.
macro(pelmora_add_children)
    file(GLOB _pelmora_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT _pelmora_children)
    foreach(_child ${_pelmora_children})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt)
            add_subdirectory(${_child})
        endif()
    endforeach()
endmacro()

# pelmora_add_test(NAME [QT_APP] SOURCES src... LIBS lib...)
# One GoogleTest executable whose cases are registered with CTest one by one.
# The build's bin/ folder is known to the tests as PELMORA_BIN_DIR.
# QT_APP: the test's main creates a QApplication first (widgets, event loops, sockets).
# ENV: one VAR=VALUE setting for the test's environment.
function(pelmora_add_test name)
    if(NOT PELMORA_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "QT_APP" "" "SOURCES;LIBS;ENV" ${ARGN})
    if(ARG_QT_APP AND NOT PELMORA_QT)
        return()
    endif()
    if(ARG_QT_APP)
        add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/qt_gtest_main.cpp)
        target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test)
    else()
        add_executable(${name} ${ARG_SOURCES})
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    target_compile_definitions(${name} PRIVATE PELMORA_BIN_DIR="${PELMORA_BIN_DIR}"
                                               PELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    if(WIN32)
        target_compile_options(${name} PRIVATE
                               -include ${PROJECT_SOURCE_DIR}/tests/windows/posixenv.h)
    endif()
    # Qt tests get the offscreen platform from their main. A list-valued property does not
    # survive gtest_discover_tests, so ENV takes one setting.
    list(LENGTH ARG_ENV env_count)
    if(env_count GREATER 1)
        message(FATAL_ERROR "pelmora_add_test(${name}): ENV takes one VAR=VALUE setting")
    endif()
    set(properties TIMEOUT 120)
    if(ARG_ENV)
        list(APPEND properties ENVIRONMENT "${ARG_ENV}")
    endif()
    if(CMAKE_CROSSCOMPILING)
        # One CTest test per executable, run through the emulator (wine): listing the cases
        # would start every executable under it once more at build time.
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 600)
        if(ARG_ENV)
            set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
        endif()
        return()
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# pelmora_add_bench(NAME SOURCES src... LIBS lib...)
function(pelmora_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# pelmora_add_fuzz(NAME SOURCES src... LIBS lib...): a libFuzzer target built with clang.
function(pelmora_add_fuzz name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    add_dependencies(pelmora_fuzzers ${name})
endfunction()
