# The committed digest table must equal what the native build produces now.
# After a deliberate change of output, regenerate it:
#   build/default/tests/orvex_dll_digests > tests/windows/expected_digests.inc
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE now RESULT_VARIABLE rc)
file(READ ${TABLE} committed)
if(NOT rc EQUAL 0 OR NOT now STREQUAL committed)
    message(FATAL_ERROR "tests/windows/expected_digests.inc is out of date; regenerate it with orvex_dll_digests")
endif()
