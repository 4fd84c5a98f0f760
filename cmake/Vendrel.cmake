# Shared build settings for every Vendrel target.

set(VENDREL_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wcast-align -Wunused -Woverloaded-virtual -Wimplicit-fallthrough)

if(VENDREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# vendrel_subsystem(NAME [DEPS lib...] [EXCLUDE file.cpp...])
# Builds every .cpp of the calling folder (but the excluded ones, such as a
# program's main) into the static library vendrel_NAME. Headers are included
# from the repository root ("runner/stream.h"). Subsystems call each other
# both ways; CMake repeats static libraries on the link line for that.
function(vendrel_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(NOT sources)
    add_library(vendrel_${name} INTERFACE)
    target_include_directories(vendrel_${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(vendrel_${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(vendrel_${name} STATIC ${sources})
  target_include_directories(vendrel_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(vendrel_${name} PRIVATE ${VENDREL_WARNINGS})
  target_link_libraries(vendrel_${name} PUBLIC ${ARG_DEPS})
endfunction()
