list(APPEND VARPEN_IMAGES
  MainView/Preview/snapshot.png
  MainView/Preview/record.png
  MainView/Preview/Recording.png
  MainView/Preview/eZoom.png
  MainView/Preview/DownLoad.png
  MainView/Preview/hover.png
  MainView/PlayBack/FullScreen.png
  public/Volume/OpenSound.png
  public/Volume/CloseSound.png
  cursor/EZoom.png
)
