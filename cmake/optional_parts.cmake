# Parts whose libraries are missing, or which a cross build cannot make, are left out, each with
# one status line saying what was skipped and which Debian packages bring it. Only this configure
# run forgets the part: the cache keeps the request, so once the packages are installed the next
# configure builds it.

macro(orvex_leave_out option what why)
    message(STATUS "Skipping ${what}: ${why}")
    set(${option} OFF)
endmacro()

# Debian packages of the libraries found missing, from pairs of found-flag and package.
function(orvex_missing_packages out)
    set(missing "")
    while(ARGN)
        list(POP_FRONT ARGN found package)
        if(NOT ${found})
            list(APPEND missing ${package})
        endif()
    endwhile()
    list(JOIN missing " " missing)
    set(${out} "${missing}" PARENT_SCOPE)
endfunction()

# liborvex2 runs its bands on std::thread, which the win32 thread model of mingw-w64 lacks.
if(ORVEX_BUILD_ORVEX2)
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_QUIET ON)
    check_cxx_source_compiles("#include <thread>
        int main() { std::thread t([] {}); t.join(); }" ORVEX_HAVE_STD_THREAD)
    if(NOT ORVEX_HAVE_STD_THREAD)
        orvex_leave_out(ORVEX_BUILD_ORVEX2 "liborvex2 and what is built on it"
            "the compiler has no std::thread (mingw-w64: take its posix thread model)")
        set(ORVEX_BUILD_PYTHON OFF)
    endif()
endif()

find_package(PkgConfig QUIET)

if(ORVEX_BUILD_TOOLS AND CMAKE_CROSSCOMPILING)
    orvex_leave_out(ORVEX_BUILD_TOOLS "the orvex tool"
        "its codecs are found for the host, not for a cross build's target")
elseif(ORVEX_BUILD_TOOLS)
    find_package(CLI11 CONFIG QUIET)
    find_package(TIFF QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(SPNG QUIET spng)
        pkg_check_modules(LIBRAW QUIET libraw_r)
    endif()
    orvex_missing_packages(missing PkgConfig_FOUND pkg-config CLI11_FOUND libcli11-dev
        SPNG_FOUND libspng-dev TIFF_FOUND libtiff-dev LIBRAW_FOUND libraw-dev)
    if(missing)
        orvex_leave_out(ORVEX_BUILD_TOOLS "the orvex tool" "install ${missing}")
    endif()
endif()

if(ORVEX_BUILD_PYTHON AND ORVEX_BUILD_ORVEX2 AND CMAKE_CROSSCOMPILING)
    orvex_leave_out(ORVEX_BUILD_PYTHON "the Python package"
        "it is built for the host's interpreter, not for a cross build's target")
elseif(ORVEX_BUILD_PYTHON AND ORVEX_BUILD_ORVEX2)
    if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
        # The system's interpreter, whose numpy the package is built for.
        set(Python3_EXECUTABLE /usr/bin/python3)
    endif()
    find_package(Python3 QUIET COMPONENTS Interpreter Development.Module)
    set(NUMPY_FOUND FALSE)
    if(Python3_Interpreter_FOUND)
        execute_process(COMMAND ${Python3_EXECUTABLE} -c "import numpy"
            RESULT_VARIABLE numpy_status OUTPUT_QUIET ERROR_QUIET)
        if(numpy_status EQUAL 0)
            set(NUMPY_FOUND TRUE)
        endif()
        find_package(pybind11 CONFIG QUIET)
    endif()
    orvex_missing_packages(missing Python3_Development.Module_FOUND python3-dev
        pybind11_FOUND pybind11-dev NUMPY_FOUND python3-numpy)
    if(missing)
        orvex_leave_out(ORVEX_BUILD_PYTHON "the Python package" "install ${missing}")
    endif()
endif()

# A cross build looks for Google Benchmark among the target's packages only (the toolchain
# file's root), or where benchmark_DIR points; the peers the target lacks are left out of it.
if(ORVEX_BUILD_BENCH)
    find_package(benchmark QUIET)
    if(NOT benchmark_FOUND AND CMAKE_CROSSCOMPILING)
        orvex_leave_out(ORVEX_BUILD_BENCH "the throughput benchmark"
            "no Google Benchmark for the target (Debian: libbenchmark-dev:arm64 by multiarch, then -Dbenchmark_DIR=/usr/lib/aarch64-linux-gnu/cmake/benchmark)")
    elseif(NOT benchmark_FOUND)
        orvex_leave_out(ORVEX_BUILD_BENCH "the throughput benchmark" "install libbenchmark-dev")
    endif()
endif()

# A cross build finds no GoogleTest for its target. A Linux target whose programs run under an
# emulator builds it from Debian's sources with the suite; other targets build the library alone.
if(ORVEX_BUILD_TESTS)
    find_package(GTest QUIET)
    if(NOT GTest_FOUND AND CMAKE_CROSSCOMPILING AND (WIN32 OR NOT CMAKE_CROSSCOMPILING_EMULATOR
                                                     OR NOT EXISTS /usr/src/googletest/CMakeLists.txt))
        orvex_leave_out(ORVEX_BUILD_TESTS "the test suite"
            "no GoogleTest for this target, or no emulator to run its programs")
    elseif(NOT GTest_FOUND AND NOT CMAKE_CROSSCOMPILING)
        orvex_leave_out(ORVEX_BUILD_TESTS "the test suite" "install libgtest-dev")
    endif()
endif()

if(ORVEX_BUILD_GSTREAMER AND CMAKE_CROSSCOMPILING)
    orvex_leave_out(ORVEX_BUILD_GSTREAMER "the GStreamer plugin"
        "GStreamer is found for the host, not for a cross build's target")
endif()
