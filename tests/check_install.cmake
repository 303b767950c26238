# Installs the build into a scratch prefix, then builds and runs a consumer
# through find_package(orvex) and checks the pkg-config file.
set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})

function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGV} failed:\n${out}\n${err}")
    endif()
    set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE}/tests/install_consumer -B ${WORK}/consumer -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER}
    "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK}/consumer)
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${WORK}/consumer/consumer)

# The installed tool finds the library beside it, under any prefix.
if(EXISTS ${prefix}/bin/orvex)
    run(${prefix}/bin/orvex --version)
    if(NOT last_output MATCHES "^orvex ")
        message(FATAL_ERROR "installed orvex --version gives: ${last_output}")
    endif()
    # Its manual page, with a section for each command.
    file(GLOB man ${prefix}/share/man/man1/orvex.1)
    if(NOT man)
        message(FATAL_ERROR "orvex.1 is not installed under ${prefix}/share/man/man1")
    endif()
    file(READ ${man} page)
    foreach(command demo convert zoom evaluate info formats help)
        if(NOT page MATCHES "\\.SS orvex ${command}\n")
            message(FATAL_ERROR "orvex.1 has no section for ${command}")
        endif()
    endforeach()
    # The tool has no part in the exports' library.
    run(ldd ${prefix}/bin/orvex)
    if(last_output MATCHES "liborvex\\.so")
        message(FATAL_ERROR "the installed tool loads liborvex: ${last_output}")
    endif()
endif()

run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${WORK}/consumer/consumer2)

if(PKG_CONFIG)
    foreach(package orvex orvex2)
        run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig
            ${PKG_CONFIG} --cflags --libs ${package})
        string(REGEX MATCH "-I([^ \n]+)" include_flag "${last_output}")
        if(NOT EXISTS "${CMAKE_MATCH_1}/${package}.h" OR NOT last_output MATCHES "-l${package}( |$)")
            message(FATAL_ERROR "pkg-config gives for ${package}: ${last_output}")
        endif()
    endforeach()
endif()

# The Python package, where it is built, has its type hints' generated names.
file(GLOB_RECURSE package_hints ${prefix}/*/orvex/__init__.pyi)
foreach(hints IN LISTS package_hints)
    get_filename_component(package ${hints} DIRECTORY)
    if(NOT EXISTS ${package}/_names.pyi)
        message(FATAL_ERROR "the installed package ${package} has no _names.pyi")
    endif()
endforeach()
