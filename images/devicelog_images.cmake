list(APPEND VARPEN_IMAGES
  DeviceConfig/search.png
)
