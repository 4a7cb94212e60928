# The Windows build (cross-compiled by scripts/windows.sh with
# dist/windows/mingw-w64.cmake): programs of one file each, with the C and C++
# run-times and SDL2 inside, the same bytes from the same commit in any folder.
add_link_options(-static -static-libgcc -static-libstdc++ -s -Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# The art is drawn and packed by a native build (Data.zux the same bytes as
# Linux's): its zux-artgen --ico gives the icon.
set(ZUX_ICO "" CACHE FILEPATH "zux.ico for zux.exe (zux-artgen --ico)")

# Every program starts in platform/win32/win_main.cpp's wmain, which hands
# the game's main (compiled as ZuxMain) its arguments in UTF-8. zux.exe is a
# GUI program with its icon and version information.
function(zux_windows_program target main gui)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/win32/win_main.cpp)
  set_source_files_properties(${main} TARGET_DIRECTORY ${target} PROPERTIES
                              COMPILE_DEFINITIONS main=ZuxMain)
  target_link_options(${target} PRIVATE -municode)
  if(gui)
    target_link_options(${target} PRIVATE -mwindows)
    if(ZUX_ICO)
      configure_file(${CMAKE_SOURCE_DIR}/dist/windows/zux.rc.in ${CMAKE_BINARY_DIR}/zux.rc @ONLY)
      target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/zux.rc)
    endif()
  endif()
endfunction()
