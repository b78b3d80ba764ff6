# Helpers shared by the folder CMakeLists.

# Game and runtime code keeps its text in Shift-JIS (code page 932): string
# literals in the UTF-8 sources become CP932 bytes. GCC 12's <chrono> cannot be
# compiled this way (its "µs" unit text has no CP932 form): such code takes its
# time from the platform clock instead.
#
# clang (the fuzzing build) has no -fexec-charset=CP932. There the target
# compiles copies of its sources in which tools/cp932_literals has written
# every character outside ASCII of a plain literal as escapes of its CP932
# bytes, the same bytes GCC makes; the copies are made once the folder has
# added all its sources.
function(brimal_cp932 target)
  if(BRIMAL_FUZZ)
    # A deferred call reads its arguments when it runs: the name is put in
    # as text now.
    cmake_language(EVAL CODE "cmake_language(DEFER CALL brimal_cp932_copies [[${target}]])")
  else()
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
endfunction()

function(brimal_cp932_copies target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(target_dir ${target} SOURCE_DIR)
  set(copies)
  set(source_dirs)
  foreach(source IN LISTS sources)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${target_dir}/${source})
    endif()
    if(source MATCHES "\\.cpp$")
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${source})
      set(copy ${PROJECT_BINARY_DIR}/cp932/${relative})
      add_custom_command(
        OUTPUT ${copy}
        COMMAND cp932_literals ${source} ${copy}
        DEPENDS ${source} cp932_literals
        VERBATIM)
      list(APPEND copies ${copy})
      get_filename_component(source_dir ${source} DIRECTORY)
      list(APPEND source_dirs ${source_dir})
    else()
      list(APPEND copies ${source})
    endif()
  endforeach()
  set_property(TARGET ${target} PROPERTY SOURCES ${copies})
  # Includes relative to a source's own folder still find their headers.
  list(REMOVE_DUPLICATES source_dirs)
  target_include_directories(${target} PRIVATE ${source_dirs})
endfunction()

# Adds the sources of one game folder to the game library.
function(brimal_game_folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    target_sources(game PRIVATE ${sources})
  endif()
endfunction()

# Adds every .cpp of the current folder to `target`.
function(brimal_folder_sources target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    target_sources(${target} PRIVATE ${sources})
  endif()
endfunction()
