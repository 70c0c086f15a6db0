# cmake -DOUT=<file> "-DIN=<file;file;...>" -P JoinFiles.cmake: writes the inputs one after another.
set(text "")
foreach(f ${IN})
  file(READ ${f} part)
  string(APPEND text "${part}\n")
endforeach()
file(WRITE ${OUT}.tmp "${text}")
file(RENAME ${OUT}.tmp ${OUT})
