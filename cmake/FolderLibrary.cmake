# vistrel_folder_library(NAME [FOLDER dir] [RECURSE] [PRIVATE dep...] DEPENDENCY...): a static
# library of the .cpp files in a folder (by default the calling one; RECURSE takes its subfolders
# too), with the repository root as include path. DEPENDENCY... are linked publicly, PRIVATE ones
# only into the library. A file added to the folder joins the library at the next build.
function(vistrel_folder_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "RECURSE" "FOLDER" "PRIVATE")
  set(folder ${CMAKE_CURRENT_SOURCE_DIR})
  if(arg_FOLDER)
    set(folder ${CMAKE_CURRENT_SOURCE_DIR}/${arg_FOLDER})
  endif()
  if(arg_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${arg_UNPARSED_ARGUMENTS} PRIVATE ${arg_PRIVATE})
  vistrel_link_check(${name})
endfunction()

# vistrel_link_check(NAME): checks at every build that the library NAME links whole with only
# what it names, in a program of its own (NAME_links), so a call into a library it does not
# name fails the build. A build without tests (VISTREL_TESTS=OFF) leaves the checks out.
function(vistrel_link_check name)
  if(NOT VISTREL_TESTS)
    return()
  endif()
  set(main ${PROJECT_BINARY_DIR}/link_check_main.cpp)
  if(NOT EXISTS ${main})
    file(WRITE ${main} "int main() { return 0; }\n")
  endif()
  add_executable(${name}_links ${main})
  target_link_libraries(${name}_links PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}>")
endfunction()
