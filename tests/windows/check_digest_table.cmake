# The committed digest table must equal what this build produces now.
# After a deliberate change of output, regenerate it on x86:
#   build/default/tests/orvex_dll_digests > tests/windows/expected_digests.inc
#   build/default/tests/orvex2_digests > tests/windows64/expected_digests2.inc
# EMULATOR (a cross build's, space-separated) runs the generator; the table
# is then not regenerated but the cross build's bytes are wrong.
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
execute_process(COMMAND ${emulator} ${GENERATOR} OUTPUT_VARIABLE now RESULT_VARIABLE rc)
file(READ ${TABLE} committed)
if(NOT rc EQUAL 0 OR NOT now STREQUAL committed)
    if(EMULATOR)
        message(FATAL_ERROR "this build's digests differ from the x86 ones in tests/${NAME}")
    endif()
    message(FATAL_ERROR "tests/${NAME} is out of date; regenerate it with its generator")
endif()
