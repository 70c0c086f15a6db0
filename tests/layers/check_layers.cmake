# The layers test: no file includes a header of a layer above its own (Layers.cmake).
#   cmake -DROOT=<source tree> -DQT_INCLUDE_DIR=<dir> -P check_layers.cmake
# With -DPLANTED_DIR=<scratch folder> in place of ROOT it checks the checker instead: it writes a
# small tree with known faults there and fails unless exactly those are found.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

if(NOT QT_INCLUDE_DIR OR NOT IS_DIRECTORY "${QT_INCLUDE_DIR}/QtCore")
  message(FATAL_ERROR "QT_INCLUDE_DIR must name Qt's include folder (the one holding QtCore/)")
endif()

if(ROOT)
  varpen_check_layers(ROOT "${ROOT}" QT_INCLUDE_DIR "${QT_INCLUDE_DIR}" EXCEPTIONS ${VARPEN_LAYER_EXCEPTIONS}
    PRIVATE ${VARPEN_PRIVATE_HEADERS} OUT problems)
  if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Includes across the layers:\n  ${text}")
  endif()
  message(STATUS "Every include keeps to the layers.")
  return()
endif()

if(NOT PLANTED_DIR)
  message(FATAL_ERROR "give ROOT or PLANTED_DIR")
endif()

# "<file>|<line>" for each line of the planted tree.
set(planted
  "engine/Player.cpp|#include \"engine/Player.h\""
  "engine/Player.cpp|#include \"platform/rtk/rtk.h\""
  "engine/Player.cpp|#include \"app/CommonUtil.h\""
  "engine/Player.cpp|#include \"widgets/CWarnDlg.h\""
  "engine/Player.cpp|#include <QImage>"
  "engine/Player.cpp|#include <QWidget>"
  "engine/Player.h|  #  include <QtWidgets/QLabel>"
  "engine/Player.h|#include \"Neighbour.h\""
  "app/Settings.cpp|#include <QString>"
  "app/Settings.cpp|#include <QPixmap>"
  "app/Settings.cpp|#include \"app/gui/OstraStyle.h\""
  "app/Settings.cpp|#include \"engine/Player.h\""
  "app/gui/Style.cpp|#include \"app/Settings.h\""
  "app/gui/Style.cpp|#include <QWidget>"
  "platform/vrend/Surface.h|#include <QWidget>"
  "widgets/CDiskTreeBox.cpp|#include \"engine/DiskDevices.h\""
  "widgets/CTable.cpp|#include \"engine/StreamPlayer.h\""
  "widgets/CTable.cpp|#include \"app/gui/OstraStyle.h\""
  "widgets/CTable.cpp|#include \"timeline/TimeSlider.h\""
  "timeline/TimeSlider.cpp|#include \"widgets/CToolTip.h\""
  "playback/Page.cpp|#include \"timeline/TimeSlider.h\""
  "playback/Page.cpp|#include \"engine/StreamPlayer.h\""
  "playback/Page.cpp|#include \"devicelog/LogSearch.h\""
  "playback/Page.cpp|#include \"mainwindow/VarpenMainWnd.h\""
  "mainwindow/SettingsPage.cpp|#include \"mainwindow/VarpenMainWnd.h\""
  "mainwindow/SettingsPage.cpp|#include \"mainwindow/Logging.h\""
  "mainwindow/main.cpp|#include \"mainwindow/SettingsPage.h\""
  "mainwindow/main.cpp|#include \"playback/Page.h\""
  "mainwindow/main.cpp|#include \"playback/PagePrivate.h\""
  "playback/Page.cpp|#include \"playback/PagePrivate.h\""
  "tests/playback/tst_data.cpp|#include \"playback/PagePrivate.h\""
  "tests/tst_other.cpp|#include \"playback/PagePrivate.h\""
  "tools/inspect.cpp|#include \"engine/Player.h\""
  "tools/inspect.cpp|#include \"tests/support/QueuedSpy.h\""
  "tests/tst_page.cpp|#include \"mainwindow/VarpenMainWnd.h\""
  "tests/tst_page.cpp|#include \"tools/varpen-sample/SampleGen.h\""
  "tests/tst_page.cpp|#include <QWidget>")
set(expected
  "app/Settings.cpp: includes \"app/gui/OstraStyle.h\": layer app_core may not include layer app_gui"
  "app/Settings.cpp: includes \"engine/Player.h\": layer app_core may not include layer engine"
  "app/Settings.cpp: includes <QPixmap>: layer app_core may use only QtCore, not QtGui"
  "engine/Player.cpp: includes \"widgets/CWarnDlg.h\": layer engine may not include layer widgets"
  "engine/Player.cpp: includes <QWidget>: layer engine may not use QtWidgets"
  "engine/Player.h: includes <QtWidgets/QLabel>: layer engine may not use QtWidgets"
  "mainwindow/SettingsPage.cpp: includes \"mainwindow/VarpenMainWnd.h\": layer settings_page may not include layer mainwindow"
  "mainwindow/main.cpp: includes \"playback/PagePrivate.h\": private to playback/ tests/playback/"
  "tests/tst_other.cpp: includes \"playback/PagePrivate.h\": private to playback/ tests/playback/"
  "playback/Page.cpp: includes \"devicelog/LogSearch.h\": layer playback may not include layer devicelog"
  "playback/Page.cpp: includes \"mainwindow/VarpenMainWnd.h\": layer playback may not include layer mainwindow"
  "tools/inspect.cpp: includes \"tests/support/QueuedSpy.h\": layer tools may not include layer tests"
  "widgets/CTable.cpp: includes \"engine/StreamPlayer.h\": layer widgets may not include layer engine"
  "widgets/CTable.cpp: includes \"timeline/TimeSlider.h\": layer widgets may not include layer timeline"
  "widgets/Gone.cpp: the exception for engine/Old.h is no longer needed: remove it")

file(REMOVE_RECURSE "${PLANTED_DIR}")
foreach(entry ${planted})
  string(FIND "${entry}" "|" bar)
  string(SUBSTRING "${entry}" 0 ${bar} file)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${entry}" ${bar} -1 line)
  file(APPEND "${PLANTED_DIR}/${file}" "${line}\n")
endforeach()
varpen_check_layers(ROOT "${PLANTED_DIR}" QT_INCLUDE_DIR "${QT_INCLUDE_DIR}"
  EXCEPTIONS "platform/vrend/Surface.h|QWidget|the player layer's own video surface"
             "widgets/CDiskTreeBox.cpp|engine/DiskDevices.h|the disk box lists disks through the engine"
             "widgets/Gone.cpp|engine/Old.h|a link that is gone"
  PRIVATE "playback/PagePrivate.h|playback/ tests/playback/|the page's own data"
  OUT found)
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
  list(JOIN found "\n  " found_text)
  list(JOIN expected "\n  " expected_text)
  message(FATAL_ERROR "The checker found:\n  ${found_text}\nbut the planted tree holds:\n  ${expected_text}")
endif()
message(STATUS "The checker finds every planted fault and nothing else.")
