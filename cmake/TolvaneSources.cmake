# tolvane_platform_sources(OUT_VAR DIR)
#
# Every .cpp below DIR, keeping only this platform's back ends: files named
# *_win32.cpp build on Windows, *_posix.cpp everywhere else.
function(tolvane_platform_sources out dir)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(WIN32)
    list(FILTER all EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER all EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt.
macro(tolvane_add_subfolders)
  file(GLOB _children RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT _children)
  foreach(_child IN LISTS _children)
    if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${_child}" AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt")
      add_subdirectory(${_child})
    endif()
  endforeach()
endmacro()
