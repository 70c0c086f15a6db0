list(APPEND VARPEN_IMAGES
  MainView/bottom_background.png
  MainView/ButtonIcon/cycle_ctrl.png
)
