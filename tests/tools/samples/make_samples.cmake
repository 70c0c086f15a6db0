# cmake -DTOOL=<varpen-sample> -DOUT=<build>/samples/test -P make_samples.cmake
# Writes the small sample sets that tests use. A set is written again only when the tool or its
# arguments changed since the last run (a stamp in each set folder records both).
cmake_minimum_required(VERSION 3.25)

set(sets
  "tiny|folder|--channels 1 --days 1 --segments-per-day 3 --segment-length 4 --gap 2"
  "month|folder|--channels 4 --start-date 2024-01-30 --days 3 --segments-per-day 2 --segment-length 4 --gap 6 --record-types 2,4,5"
  "bframes|folder|--channels 1 --days 1 --segments-per-day 2 --segment-length 4 --bframes 2 --audio"
  "foreign-ts|folder|--channels 1 --days 1 --segments-per-day 2 --segment-length 4 --gap 0 --bframes 2 --audio --header other"
  "foreign-ps|folder|--channels 1 --days 1 --segments-per-day 2 --segment-length 4 --gap 0 --bframes 2 --program-stream --header none"
  "broken|broken|"
  "broken-empty|folder|--channels 2 --days 1 --segments-per-day 1 --segment-length 4 --size 176x144 --broken empty"
  "broken-missing|folder|--channels 2 --days 1 --segments-per-day 1 --segment-length 4 --size 176x144 --broken missing"
  "broken-unreadable|folder|--channels 2 --days 1 --segments-per-day 1 --segment-length 4 --size 176x144 --broken unreadable"
  "broken-fifo|folder|--channels 2 --days 1 --segments-per-day 1 --segment-length 4 --size 176x144 --broken fifo")

file(SHA256 "${TOOL}" tool_hash)
foreach(set IN LISTS sets)
  string(REPLACE "|" ";" parts "${set}")
  list(GET parts 0 name)
  list(GET parts 1 command)
  list(GET parts 2 argtext)
  separate_arguments(args UNIX_COMMAND "${argtext}")
  set(dir "${OUT}/${name}")
  set(stamp "${tool_hash} ${command} ${args}")
  if(EXISTS "${dir}/.stamp")
    file(READ "${dir}/.stamp" old)
    if(old STREQUAL stamp)
      message(STATUS "samples: ${name} up to date")
      continue()
    endif()
  endif()
  file(REMOVE_RECURSE "${dir}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen TZ=Europe/Berlin
                          "${TOOL}" ${command} "${dir}" ${args}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    file(REMOVE_RECURSE "${dir}")
    message(FATAL_ERROR "samples: writing ${name} failed (${rc})")
  endif()
  file(WRITE "${dir}/.stamp" "${stamp}")
  message(STATUS "samples: ${name} written")
endforeach()
