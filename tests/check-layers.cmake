# Fails when a file of the program includes a header of a folder above its
# own. The layers, lowest first; folders on one line may include each other.
set(layers
  "numeric fault"
  "design rating"
  "report"
  "output explain comparison"
  "chart"
  "pdf"
  "run"
  "project"
  "web"
  "driver"
  "app")
set(rank 0)
foreach(line IN LISTS layers)
  string(REPLACE " " ";" folders "${line}")
  foreach(folder IN LISTS folders)
    set(rank_${folder} ${rank})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()
set(faults "")
foreach(line IN LISTS layers)
  string(REPLACE " " ";" folders "${line}")
  foreach(folder IN LISTS folders)
    file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cc")
    foreach(source IN LISTS sources)
      file(STRINGS "${source}" includes REGEX "^#include \"[a-z_]+/")
      foreach(include IN LISTS includes)
        string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" used "${include}")
        if(NOT DEFINED rank_${used})
          list(APPEND faults "${source}: ${include} (a folder of no layer)")
        elseif(rank_${used} GREATER rank_${folder})
          list(APPEND faults "${source}: ${include} (above ${folder}/)")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(faults)
  string(REPLACE ";" "\n" faults "${faults}")
  message(FATAL_ERROR "includes against the layers:\n${faults}")
endif()
