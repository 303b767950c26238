# The committed digest table must equal what the native build produces now.
# After a deliberate change of output, regenerate it:
#   build/default/tests/orvex_dll_digests > tests/windows/expected_digests.inc
#   build/default/tests/orvex2_digests > tests/windows64/expected_digests2.inc
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE now RESULT_VARIABLE rc)
file(READ ${TABLE} committed)
if(NOT rc EQUAL 0 OR NOT now STREQUAL committed)
    if(NOT NAME)
        set(NAME windows/expected_digests.inc)
    endif()
    message(FATAL_ERROR "tests/${NAME} is out of date; regenerate it with its generator")
endif()
