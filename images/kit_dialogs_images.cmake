list(APPEND VARPEN_IMAGES
  Dialog/dialog_bg.png
  title/close.png
  title/close_hover.png
  MainView/ButtonIcon/speedLeft.png
  MainView/ButtonIcon/speedCenter.png
  MainView/ButtonIcon/speedRight.png
  MainView/ButtonIcon/speedFore.png
  MainView/ButtonIconDis/speedFore_dis.png
  button/button_hover.png
  public/PathBox/browse.png
  Loading.gif
)
