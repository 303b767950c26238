# Writes the manual page orvex(1) from the tool's own help: help2man for the
# synopsis and the commands' list, and a section per command from
# `orvex help COMMAND`.   cmake -DTOOL=... -DHELP2MAN=... -DOUT=... -P man_page.cmake
execute_process(COMMAND ${TOOL} --help OUTPUT_VARIABLE top RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} --help failed")
endif()
# The commands are the lines of the "Subcommands:" block.
string(REGEX MATCH "Subcommands:\n([^\n]+\n)+" block "${top}")
string(REGEX MATCHALL "\n  [a-z]+ " names "${block}")
set(include "[COMMANDS]\n")
foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    execute_process(COMMAND ${TOOL} help ${name} OUTPUT_VARIABLE text RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${TOOL} help ${name} failed")
    endif()
    # roff: backslashes doubled, lines that start with a dot or quote kept as text.
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "${text}")
    string(APPEND include ".SS orvex ${name}\n.nf\n${text}.fi\n")
endforeach()
get_filename_component(dir "${OUT}" DIRECTORY)
file(WRITE "${dir}/orvex.h2m" "${include}")
execute_process(
    COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
            "--name=turns raw Bayer mosaics into colour images"
            "--include=${dir}/orvex.h2m" --output=${OUT} ${TOOL}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man failed")
endif()
