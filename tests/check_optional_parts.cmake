# Configures the project in scratch folders as a machine without some libraries would, and as
# cross builds given nothing but a toolchain file: each must configure, saying what it skipped.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/aarch64.cmake "set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
")

set(cross_lines "the orvex tool: its codecs" "the Python package: it is built for the host"
    "the throughput benchmark: no Google Benchmark for the target")
# Each case: a compiler that must exist, the configure arguments, the lines that must appear.
set(missing_libraries_compiler ${C_COMPILER})
set(missing_libraries_arguments -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_pybind11=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON)
set(missing_libraries_lines "the orvex tool: install libcli11-dev"
    "the throughput benchmark: install libbenchmark-dev" "the Python package: install pybind11-dev"
    "the test suite: install libgtest-dev")
set(mingw64_compiler x86_64-w64-mingw32-g++-posix)
set(mingw64_arguments --toolchain ${SOURCE}/cmake/toolchains/x86_64-w64-mingw32.cmake)
set(mingw64_lines ${cross_lines})
set(mingw32_compiler i686-w64-mingw32-g++-win32)
set(mingw32_arguments --toolchain ${SOURCE}/cmake/toolchains/i686-w64-mingw32.cmake)
set(mingw32_lines "the orvex tool: its codecs"
    "the throughput benchmark: no Google Benchmark for the target"
    "liborvex2 and what is built on it: the compiler has no std::thread")
set(aarch64_compiler aarch64-linux-gnu-g++)
set(aarch64_arguments --toolchain ${WORK}/aarch64.cmake)
set(aarch64_lines ${cross_lines})

foreach(name missing_libraries mingw64 mingw32 aarch64)
    find_program(found_compiler ${${name}_compiler} NO_CACHE)
    if(NOT found_compiler)
        message(STATUS "${name}: skipped, no ${${name}_compiler}")
        continue()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/${name} -G Ninja
                            ${${name}_arguments}
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${name}: configure failed:\n${out}\n${err}")
    endif()
    foreach(line IN LISTS ${name}_lines)
        string(FIND "${out}" "-- Skipping ${line}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${name}: no line 'Skipping ${line}' in:\n${out}")
        endif()
    endforeach()
    message(STATUS "${name}: configured")
endforeach()

# A build made for another processor family stops at configure, saying so.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/other_processor -G Ninja
                        -DORVEX_REQUIRE_PROCESSOR=sparc64 -DORVEX_BUILD_TESTS=OFF
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(FIND "${err}" "This build is for sparc64 processors" at)
if(rc EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "other_processor: configured, or without the reason:\n${out}\n${err}")
endif()
message(STATUS "other_processor: refused")
