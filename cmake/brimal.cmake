# Helpers shared by the folder CMakeLists.

# Game and runtime code keeps its text in Shift-JIS (code page 932): string
# literals in the UTF-8 sources become CP932 bytes. GCC 12's <chrono> cannot be
# compiled this way (its "µs" unit text has no CP932 form): such code takes its
# time from the platform clock instead.
function(brimal_cp932 target)
  target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
endfunction()

# Adds the sources of one game folder: pending.cpp (the procedures whose real
# bodies are not written yet) goes into game_pending, everything else into game.
function(brimal_game_folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/pending\\.cpp$")
  if(sources)
    target_sources(game PRIVATE ${sources})
  endif()
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/pending.cpp)
    target_sources(game_pending PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/pending.cpp)
  endif()
endfunction()

# Adds every .cpp of the current folder to `target`.
function(brimal_folder_sources target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    target_sources(${target} PRIVATE ${sources})
  endif()
endfunction()
