# varpen_add_glob_library(<target> LIBS <targets...>)
# One static library of every .h/.cpp directly in the current folder (subfolders are not read),
# so that parts of a subsystem can be added side by side without touching a shared list.
# A folder without sources yet defines no target.
function(varpen_add_glob_library target)
  cmake_parse_arguments(L "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    return()
  endif()
  list(SORT sources)
  add_library(${target} STATIC ${sources})
  # A subsystem library that has no sources yet is skipped, not linked by name.
  set(libs)
  foreach(lib ${L_LIBS})
    if(lib MATCHES "^varpen_" AND NOT TARGET ${lib})
      continue()
    endif()
    list(APPEND libs ${lib})
  endforeach()
  target_link_libraries(${target} PUBLIC ${libs})
endfunction()
