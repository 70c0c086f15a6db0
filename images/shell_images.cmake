list(APPEND VARPEN_IMAGES
  title/Eye.png
  title/mini.png
  title/mini_hover.png
  title/full-screen.png
  title/full-screen_hover.png
  title/back.png
  title/back_hover.png
  title/title_bg.png
)
