# Makes the documents a system installs beside the programs: tavelkor-cli's bash completion and
# manual page from the program's own tables, read with `tavelkor-cli --list`, so that new
# modes, settings and options are covered as soon as the program has them; the manual pages
# and the changelog compressed as Debian installs them. Run while building:
#   cmake -DCLI=<tavelkor-cli> -DSOURCE_DIR=<data> -DOUTPUT_DIR=<dir> -DVERSION=<x.y.z>
#         -P MakeCliDocs.cmake

function(read_listing what out)
  execute_process(COMMAND ${CLI} --list ${what} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR text STREQUAL "")
    message(FATAL_ERROR "${CLI} --list ${what} failed (${status})")
  endif()
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# Splits a listing line at its first separator: the word before it and the rest ("" if none).
function(split_line line separator word rest)
  string(FIND "${line}" "${separator}" at)
  if(at EQUAL -1)
    set(${word} "${line}" PARENT_SCOPE)
    set(${rest} "" PARENT_SCOPE)
  else()
    string(SUBSTRING "${line}" 0 ${at} head)
    math(EXPR at "${at} + 1")
    string(SUBSTRING "${line}" ${at} -1 tail)
    set(${word} "${head}" PARENT_SCOPE)
    set(${rest} "${tail}" PARENT_SCOPE)
  endif()
endfunction()

read_listing(modes modes)
read_listing(keys keys)
read_listing(options options)

# The modes: names to complete, and the manual page's list.
set(MODE_WORDS)
set(MAN_MODES)
foreach(line IN LISTS modes)
  split_line("${line}" "\t" name rest)
  split_line("${rest}" "\t" number caption)
  list(APPEND MODE_WORDS ${name})
  string(APPEND MAN_MODES ".TP\n.BR ${name} \" (${number})\"\n${caption}\n")
endforeach()
string(REGEX REPLACE "\n$" "" MAN_MODES "${MAN_MODES}")
list(JOIN MODE_WORDS " " MODE_WORDS)
# The keys, and the values of those that take a few (as bash array entries [key]='values').
set(KEY_WORDS)
set(KEY_VALUES)
foreach(line IN LISTS keys)
  split_line("${line}" "\t" key values)
  list(APPEND KEY_WORDS ${key})
  if(NOT values STREQUAL "")
    list(APPEND KEY_VALUES "[${key}]='${values}'")
  endif()
endforeach()
list(JOIN KEY_WORDS " " KEY_WORDS)
list(JOIN KEY_VALUES " " KEY_VALUES)
# The options, and those that take a value (a case pattern).
set(OPTION_WORDS)
set(VALUE_OPTIONS)
foreach(line IN LISTS options)
  split_line("${line}" " " name value)
  list(APPEND OPTION_WORDS ${name})
  if(NOT value STREQUAL "")
    list(APPEND VALUE_OPTIONS ${name})
  endif()
endforeach()
list(JOIN OPTION_WORDS " " OPTION_WORDS)
list(JOIN VALUE_OPTIONS "|" VALUE_OPTIONS)

configure_file(${SOURCE_DIR}/completion/tavelkor-cli.bash.in ${OUTPUT_DIR}/tavelkor-cli @ONLY)

set(MODES "${MAN_MODES}")
set(PROJECT_VERSION ${VERSION})
configure_file(${SOURCE_DIR}/man/tavelkor-cli.1.in ${OUTPUT_DIR}/tavelkor-cli.1 @ONLY)
configure_file(${SOURCE_DIR}/man/tavelkor.1 ${OUTPUT_DIR}/tavelkor.1 COPYONLY)
configure_file(${SOURCE_DIR}/debian/changelog ${OUTPUT_DIR}/changelog COPYONLY)

# Compressed with gzip -9n: no name, no time stamp, the same bytes at every build.
foreach(document tavelkor-cli.1 tavelkor.1 changelog)
  execute_process(COMMAND gzip -9nc ${OUTPUT_DIR}/${document}
                  OUTPUT_FILE ${OUTPUT_DIR}/${document}.gz RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${document} failed")
  endif()
endforeach()
