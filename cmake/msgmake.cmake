# The layers of msgmake and how they are built.
#
# Each folder is one layer and one static library. A layer is built against
# the layers below it and nothing above:
#
#   cli        the options front end                    (the program's top)
#   app        the message: arguments, composer, files
#   ui         windows, events, the frame
#   evaluator  expressions       drivers  record files   (side by side)
#   runtime    strings, decimals, pictures, locale, queues, paths
#   services   error state and table, heap, debug log, start-up and shutdown
#   mime       mail text: headers, file names, media types, text codecs, UTF-8
#   platform   the system's interface, Windows-shaped
#
# msgmake_layer() links a layer to the one(s) directly below it, and gives
# it an include folder that shows its own folder only: a layer reaches the
# headers of the layers below through the link and cannot name a header
# above it, so an upward include fails to build. The static libraries are
# linked in layer order with no rescanning; tools/check_layers.py, given the
# build folder, also checks that no library calls into a layer above it.

# Lowest first, the order of the diagram above.
set(MSGMAKE_LAYERS platform mime services runtime evaluator drivers ui app cli)

# msgmake_layer(<name> [BELOW <layer>...]): the static library built from every
# .cpp of the calling folder, linked to the layers named below it.
function(msgmake_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "" "BELOW")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${layer_BELOW})
  # Sources name headers by folder ("runtime/queue.h"): the layer's include
  # folder holds one link, to its own source folder.
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
endfunction()

# msgmake_link(<target>): a program on top of every layer.
function(msgmake_link target)
  target_link_libraries(${target} PRIVATE cli)
endfunction()

find_package(Threads REQUIRED)
