# The layers of the source tree and what each may include. Used by check_layers.cmake (the
# layers test); see tests/layers/CMakeLists.txt.
#
# From the bottom: platform <- app core <- engine <- widget kit, application GUI part, time
# line <- pages (playback, device log, the settings page and about box) <- main window. Tools,
# benchmarks and tests may include any of them. Within a layer anything goes; pages do not
# include each other.

# Layer of a source path (relative to the tree's root), first match wins: "<layer>|<regex>".
set(VARPEN_LAYER_PATHS
  "platform|^platform/"
  "app_gui|^app/gui/"
  "app_core|^app/"
  "engine|^engine/"
  "widgets|^widgets/"
  "timeline|^timeline/"
  "playback|^playback/"
  "devicelog|^devicelog/"
  "settings_page|^mainwindow/(SettingsPage|CSettingsWidget|CDlgAbout|Logging)\\.(h|cpp)$"
  "mainwindow|^mainwindow/"
  "images|^images/"
  "tools|^tools/"
  "bench|^bench/"
  "tests|^tests/")

# What a layer's files may include besides their own layer. The kit and the time line are made of
# the foundation alone: they reach the engine only at the points named in the exceptions below.
set(VARPEN_LAYERS_BELOW_platform "")
set(VARPEN_LAYERS_BELOW_app_core platform)
set(VARPEN_LAYERS_BELOW_engine app_core platform)
set(VARPEN_LAYERS_BELOW_app_gui app_core platform)
set(VARPEN_LAYERS_BELOW_widgets app_gui app_core platform)
set(VARPEN_LAYERS_BELOW_timeline widgets app_gui app_core platform)
set(varpen_page_base timeline widgets engine app_gui app_core platform)
set(VARPEN_LAYERS_BELOW_playback ${varpen_page_base})
set(VARPEN_LAYERS_BELOW_devicelog ${varpen_page_base})
set(VARPEN_LAYERS_BELOW_settings_page ${varpen_page_base})
set(VARPEN_LAYERS_BELOW_mainwindow playback devicelog settings_page ${varpen_page_base})
set(VARPEN_LAYERS_BELOW_images "")
set(varpen_product mainwindow playback devicelog settings_page ${varpen_page_base})
set(VARPEN_LAYERS_BELOW_tools ${varpen_product})
set(VARPEN_LAYERS_BELOW_bench tools tests ${varpen_product})
set(VARPEN_LAYERS_BELOW_tests tools ${varpen_product})

# Qt modules a layer may not include: the core of the foundation needs QtCore alone, and the
# engine and the platform layers show nothing themselves.
set(VARPEN_QT_ONLY_app_core QtCore)
set(VARPEN_QT_FORBIDDEN_engine QtWidgets QtOpenGLWidgets QtMultimediaWidgets)
set(VARPEN_QT_FORBIDDEN_platform QtWidgets QtOpenGLWidgets QtMultimediaWidgets)

# The links the system's own design makes across the rules: "<file>|<included header>|<reason>".
set(VARPEN_LAYER_EXCEPTIONS
  "platform/vrend/VideoSurface.h|QWidget|the player layer paints into its own video surface, a widget"
  "widgets/CDiskTreeBox.cpp|engine/DiskDevices.h|the kit's disk box lists the machine's disks through the engine"
  "widgets/CVolumeButton.h|engine/SoundControl.h|the kit's volume button sets the engine's sound volume"
  "timeline/TimeSegment.h|engine/RoleDataList.h|a time-line segment carries the role data of the recording it stands for")

# Headers that only some files may include, whatever their layers: "<header>|<path prefixes, one
# or more, separated by spaces>|<reason>". A subsystem's private data is seen by its own files and
# their tests; every other file goes through the subsystem's own operations.
set(VARPEN_PRIVATE_HEADERS
  "playback/PlayBackWidgetPrivate.h|playback/ tests/playback/ tools/varpen-gallery/playback_demos.cpp|the playback page's shared data: the rest reach the page through its operations")

# varpen_layer_of(<path> <out-var>): the layer of a path relative to the root, empty when none.
function(varpen_layer_of path out)
  foreach(entry ${VARPEN_LAYER_PATHS})
    string(FIND "${entry}" "|" bar)
    string(SUBSTRING "${entry}" 0 ${bar} layer)
    math(EXPR bar "${bar} + 1")
    string(SUBSTRING "${entry}" ${bar} -1 regex)
    if(path MATCHES "${regex}")
      set(${out} ${layer} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# varpen_qt_module_of(<header> <qt-include-dir> <out-var>): the Qt module a <header> include names
# (QtWidgets for <QWidget>, <QtWidgets/QWidget> and <QtWidgets>), empty when it is not Qt's.
function(varpen_qt_module_of header qt_dir out)
  set(module "")
  if(header MATCHES "^(Qt[A-Za-z]+)(/|$)" AND IS_DIRECTORY "${qt_dir}/${CMAKE_MATCH_1}")
    set(module ${CMAKE_MATCH_1})
  elseif(header MATCHES "^Q[A-Za-z0-9]+$")
    get_property(known GLOBAL PROPERTY VARPEN_QT_MODULE_OF_${header} SET)
    if(known)
      get_property(module GLOBAL PROPERTY VARPEN_QT_MODULE_OF_${header})
    else()
      file(GLOB modules RELATIVE "${qt_dir}" "${qt_dir}/Qt*")
      list(SORT modules)
      foreach(candidate ${modules})
        if(EXISTS "${qt_dir}/${candidate}/${header}")
          set(module ${candidate})
          break()
        endif()
      endforeach()
      set_property(GLOBAL PROPERTY VARPEN_QT_MODULE_OF_${header} "${module}")
    endif()
  endif()
  set(${out} "${module}" PARENT_SCOPE)
endfunction()

# varpen_check_layers(ROOT <dir> QT_INCLUDE_DIR <dir> EXCEPTIONS <entries...> [PRIVATE <entries...>]
#                     OUT <var>)
# Reads every .h and .cpp under the layers of ROOT and sets OUT to one line per include that
# breaks the rules (a private header included from outside its prefixes among them), and one per
# exception that no longer happens.
function(varpen_check_layers)
  cmake_parse_arguments(C "" "ROOT;QT_INCLUDE_DIR;OUT" "EXCEPTIONS;PRIVATE" ${ARGN})
  set(problems)
  set(used_exceptions)
  file(GLOB_RECURSE files RELATIVE "${C_ROOT}"
    "${C_ROOT}/app/*.h" "${C_ROOT}/app/*.cpp" "${C_ROOT}/platform/*.h" "${C_ROOT}/platform/*.cpp"
    "${C_ROOT}/engine/*.h" "${C_ROOT}/engine/*.cpp" "${C_ROOT}/widgets/*.h" "${C_ROOT}/widgets/*.cpp"
    "${C_ROOT}/timeline/*.h" "${C_ROOT}/timeline/*.cpp" "${C_ROOT}/playback/*.h" "${C_ROOT}/playback/*.cpp"
    "${C_ROOT}/devicelog/*.h" "${C_ROOT}/devicelog/*.cpp" "${C_ROOT}/mainwindow/*.h" "${C_ROOT}/mainwindow/*.cpp"
    "${C_ROOT}/images/*.h" "${C_ROOT}/images/*.cpp" "${C_ROOT}/tools/*.h" "${C_ROOT}/tools/*.cpp"
    "${C_ROOT}/bench/*.h" "${C_ROOT}/bench/*.cpp" "${C_ROOT}/tests/*.h" "${C_ROOT}/tests/*.cpp")
  list(SORT files)
  foreach(file ${files})
    varpen_layer_of("${file}" layer)
    if(NOT layer)
      continue()
    endif()
    file(STRINGS "${C_ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
      if(NOT line MATCHES "include[ \t]*([<\"])([^>\"]+)[>\"]")
        continue()
      endif()
      set(header "${CMAKE_MATCH_2}")
      if(CMAKE_MATCH_1 STREQUAL "<")
        set(shown "<${header}>")
      else()
        set(shown "\"${header}\"")
      endif()
      set(why "")
      if(shown MATCHES "^\"")
        foreach(entry ${C_PRIVATE})
          string(REPLACE "|" ";" parts "${entry}")
          list(GET parts 0 private_header)
          list(GET parts 1 private_users)
          if(NOT header STREQUAL private_header)
            continue()
          endif()
          string(REPLACE " " ";" prefixes "${private_users}")
          set(allowed FALSE)
          foreach(prefix ${prefixes})
            string(FIND "${file}" "${prefix}" at)
            if(at EQUAL 0)
              set(allowed TRUE)
            endif()
          endforeach()
          if(NOT allowed)
            list(APPEND problems "${file}: includes ${shown}: private to ${private_users}")
          endif()
        endforeach()
        # A project header named from the root; a bare name is a neighbour in the same folder.
        if(NOT header MATCHES "/")
          continue()
        endif()
        varpen_layer_of("${header}" to)
        if(NOT to OR to STREQUAL layer)
          continue()
        endif()
        if(NOT to IN_LIST VARPEN_LAYERS_BELOW_${layer})
          set(why "layer ${layer} may not include layer ${to}")
        endif()
      else()
        if(NOT DEFINED VARPEN_QT_ONLY_${layer} AND NOT DEFINED VARPEN_QT_FORBIDDEN_${layer})
          continue()
        endif()
        varpen_qt_module_of("${header}" "${C_QT_INCLUDE_DIR}" module)
        if(NOT module)
          continue()
        endif()
        if(DEFINED VARPEN_QT_ONLY_${layer} AND NOT module IN_LIST VARPEN_QT_ONLY_${layer})
          set(why "layer ${layer} may use only ${VARPEN_QT_ONLY_${layer}}, not ${module}")
        elseif(module IN_LIST VARPEN_QT_FORBIDDEN_${layer})
          set(why "layer ${layer} may not use ${module}")
        endif()
      endif()
      if(NOT why)
        continue()
      endif()
      set(excepted FALSE)
      foreach(entry ${C_EXCEPTIONS})
        string(REPLACE "|" ";" parts "${entry}")
        list(GET parts 0 except_file)
        list(GET parts 1 except_header)
        if(except_file STREQUAL file AND except_header STREQUAL header)
          set(excepted TRUE)
          list(APPEND used_exceptions "${entry}")
        endif()
      endforeach()
      if(NOT excepted)
        list(APPEND problems "${file}: includes ${shown}: ${why}")
      endif()
    endforeach()
  endforeach()
  foreach(entry ${C_EXCEPTIONS})
    if(NOT entry IN_LIST used_exceptions)
      string(REPLACE "|" ";" parts "${entry}")
      list(GET parts 0 except_file)
      list(GET parts 1 except_header)
      list(APPEND problems "${except_file}: the exception for ${except_header} is no longer needed: remove it")
    endif()
  endforeach()
  set(${C_OUT} "${problems}" PARENT_SCOPE)
endfunction()
