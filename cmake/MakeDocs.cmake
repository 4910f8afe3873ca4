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

read_listing(modes modes)
read_listing(keys keys)
read_listing(options options)

# The completion: the words to offer, and the options that take a value.
set(MODE_WORDS)
set(MAN_MODES)
foreach(line IN LISTS modes)
  string(REPLACE "\t" ";" fields "${line}")
  list(GET fields 0 name)
  list(GET fields 1 number)
  list(GET fields 2 caption)
  list(APPEND MODE_WORDS ${name})
  string(APPEND MAN_MODES ".TP\n.BR ${name} \" (${number})\"\n${caption}\n")
endforeach()
string(REGEX REPLACE "\n$" "" MAN_MODES "${MAN_MODES}")
list(JOIN MODE_WORDS " " MODE_WORDS)
# The keys, and the values of those that take a few (as bash array entries [key]='values').
set(KEY_WORDS)
set(KEY_VALUES)
foreach(line IN LISTS keys)
  string(REPLACE "\t" ";" fields "${line}")
  list(GET fields 0 key)
  list(APPEND KEY_WORDS ${key})
  list(LENGTH fields count)
  if(count GREATER 1)
    list(GET fields 1 values)
    list(APPEND KEY_VALUES "[${key}]='${values}'")
  endif()
endforeach()
list(JOIN KEY_WORDS " " KEY_WORDS)
list(JOIN KEY_VALUES " " KEY_VALUES)
set(OPTION_WORDS)
set(VALUE_OPTIONS)
foreach(line IN LISTS options)
  string(REPLACE " " ";" fields "${line}")
  list(GET fields 0 name)
  list(APPEND OPTION_WORDS ${name})
  list(LENGTH fields count)
  if(count GREATER 1)
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
