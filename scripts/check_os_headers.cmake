# Fails when a source above platform/ includes an operating-system header:
# the machine (POSIX, Win32, the browser, SDL) lives under platform/ only.
# cmake -DROOT=<source folder> [-DSTAMP=<file to touch>] -P check_os_headers.cmake
set(folders app res gfx game front tools)
set(os_header "(unistd|dirent|fcntl|strings|pthread|dlfcn|io|direct|[Ww]indows|winbase|shlobj|shellapi|emscripten)\\.h|sys/|emscripten/|SDL")
set(bad "")
foreach(folder ${folders})
  file(GLOB_RECURSE sources ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
  foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](${os_header})")
    foreach(line ${lines})
      file(RELATIVE_PATH name ${ROOT} ${source})
      string(STRIP "${line}" line)
      string(APPEND bad "  ${name}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "operating-system headers above platform/ (call the Plat_ functions of "
                      "platform/platform.h instead):\n${bad}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
