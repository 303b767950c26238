# Fails unless the second library's dynamic symbol table defines exactly the
# functions of orvex2.h.
set(expected
    orvex_demosaic orvex_demosaic_region orvex_format_at orvex_format_name orvex_format_query
    orvex_image_bytes orvex_init_options orvex_method_name orvex_pattern_name orvex_status_text
    orvex_unpack orvex_version orvex_zoom_vertical)

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
