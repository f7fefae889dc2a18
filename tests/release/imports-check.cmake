# Fails when the program or the RAR library imports a DLL that Windows would look
# for first in the program's own folder, where a downloaded Quillet.exe usually
# sits among other downloads: anything but a known DLL, a side-by-side assembly
# named in the manifest, or unrar.dll, which is ours.
#   cmake -DOBJDUMP=<objdump> -DFILES=<exe>|<dll>... -P imports-check.cmake
#
# Known DLLs are loaded from the system folder whatever the search order. Microsoft
# documents them only as each system's list under HKLM\SYSTEM\CurrentControlSet\
# Control\Session Manager\KnownDLLs ("Dynamic-link library search order"); these
# are the ones on that list in both Windows 7 SP1 and Windows 10, the oldest and
# a current system that Quillet runs on. comctl32 and gdiplus come through the
# manifest's side-by-side dependencies (Common-Controls 6, GdiPlus).
cmake_minimum_required(VERSION 3.25)

set(allowed
  advapi32 comdlg32 gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ole32 oleaut32
  psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32
  comctl32 gdiplus
  unrar)

string(REPLACE "|" ";" files "${FILES}")
set(failures "")
foreach(file IN LISTS files)
  execute_process(COMMAND "${OBJDUMP}" -p "${file}" OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    string(APPEND failures "\n  ${file}: objdump failed")
    continue()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  if(NOT imports)
    string(APPEND failures "\n  ${file}: no imports found")
  endif()
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "DLL Name: ([^\r\n]+)\\.[dD][lL][lL]$" "\\1" name "${import}")
    string(TOLOWER "${name}" name)
    if(NOT name IN_LIST allowed)
      string(APPEND failures "\n  ${file} imports ${name}.dll")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "DLLs that Windows looks for beside the program:${failures}")
endif()
