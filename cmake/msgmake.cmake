# Shared build helpers.

set(MSGMAKE_SUBSYSTEMS platform services runtime evaluator drivers ui app cli)

# msgmake_subsystem(<name>): the static library built from every .cpp of the
# calling folder. Each folder has exactly one.
function(msgmake_subsystem name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
endfunction()

# msgmake_link(<target>): links every subsystem library as one group, so the
# order of the libraries on the link line does not matter.
function(msgmake_link target)
  target_link_libraries(${target} PRIVATE
    "$<LINK_GROUP:RESCAN,${MSGMAKE_SUBSYSTEMS}>" Threads::Threads)
endfunction()

find_package(Threads REQUIRED)
