# Fails unless the shared library's dynamic symbol table defines exactly the
# eight exported functions.
set(expected
    Orvex_BayerToRgb Orvex_BayerZoomVert Orvex_CalcImageSize Orvex_ShowMSG
    Orvex_is3Color Orvex_isBayer Orvex_isColor Orvex_isMonochrome)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()

string(REPLACE "\n" ";" lines "${table}")
set(found)
foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* +[A-Za-z] +([^ ]+)$")
        list(APPEND found ${CMAKE_MATCH_1})
    endif()
endforeach()
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
    message(FATAL_ERROR "exports differ:\n  expected: ${expected}\n  found:    ${found}")
endif()
