# Writes the sample recorder-disk images into OUT with TOOL (varpen-sample).
file(MAKE_DIRECTORY ${OUT})
set(common --channels 2 --days 2 --segments-per-day 2 --segment-length 4 --logs 300)
foreach(layout plain nvr dvr)
  execute_process(COMMAND ${TOOL} disk ${OUT}/disk-${layout}.img --layout ${layout} ${common}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "varpen-sample disk --layout ${layout} failed: ${rc}")
  endif()
endforeach()
foreach(kind bad-magic bad-checksum truncated end-before-start counts-past-end offsets-past-end zeroed-data
             data-missing unreadable fifo)
  execute_process(COMMAND ${TOOL} disk ${OUT}/disk-broken-${kind}.img --broken ${kind} ${common}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "varpen-sample disk --broken ${kind} failed: ${rc}")
  endif()
endforeach()
