# unrar.dll from Debian's patched unrar-nonfree source (fetched by scripts/setup.sh),
# and an import library that matches the library's calling convention.
set(UNRAR_SOURCE_DIR "${CMAKE_BINARY_DIR}/third_party/unrar-nonfree-6.2.6" CACHE PATH
    "Patched unrar-nonfree source tree")
if(NOT EXISTS "${UNRAR_SOURCE_DIR}/.pc/0015-CVE-2023-40477.patch")
  message(FATAL_ERROR "No patched unrar source at ${UNRAR_SOURCE_DIR}: run scripts/setup.sh first")
endif()

set(unrar_objects
  rar strlist strfn pathfn smallfn global file filefn filcreat archive arcread unicode system
  crypt crc rawread encname resource match timefn rdwrfn consio options errhnd rarvm
  secpassword rijndael getbits sha1 sha256 blake2s hash extinfo extract volume list find
  unpack headers threadpool rs16 cmddata ui
  filestr scantree dll qopen
  isnt)
list(TRANSFORM unrar_objects PREPEND "${UNRAR_SOURCE_DIR}/")
list(TRANSFORM unrar_objects APPEND ".cpp")

# A fix of ours, built from a patched copy of its file: reading the uninitialised
# rest of a cut encrypted header made one damaged archive read differently from
# run to run (the patch's header says more).
set(unrar_rawread_patch "${CMAKE_SOURCE_DIR}/cmake/unrar/rawread-zero-unread.patch")
set(unrar_rawread "${CMAKE_BINARY_DIR}/unrar-patched/rawread.cpp")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/unrar-patched")
execute_process(COMMAND patch --quiet -o "${unrar_rawread}" "${UNRAR_SOURCE_DIR}/rawread.cpp" "${unrar_rawread_patch}"
  RESULT_VARIABLE rawread_patched)
if(NOT rawread_patched EQUAL 0)
  message(FATAL_ERROR "${unrar_rawread_patch} does not apply to ${UNRAR_SOURCE_DIR}/rawread.cpp")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${unrar_rawread_patch}")
list(REMOVE_ITEM unrar_objects "${UNRAR_SOURCE_DIR}/rawread.cpp")
list(APPEND unrar_objects "${unrar_rawread}")

add_library(unrar SHARED
  ${unrar_objects}
  cmake/unrar/bstr_support.cpp
  "${UNRAR_SOURCE_DIR}/dll.def")
target_compile_definitions(unrar PRIVATE RARDLL UNRAR SILENT)
# MinGW's headers are lower-case; the source asks for the SDK's mixed-case names.
# The patched copy finds the library's own headers in its source folder.
target_include_directories(unrar PRIVATE cmake/unrar/include "${UNRAR_SOURCE_DIR}")
target_compile_options(unrar PRIVATE -O2 -w)
set_target_properties(unrar PROPERTIES PREFIX "" OUTPUT_NAME unrar
  RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
target_link_options(unrar PRIVATE -static -static-libgcc -static-libstdc++)
# No link time in the PE header, so that two builds of one commit are identical; no
# symbols in what users download. The exports are undecorated on purpose (dll.def):
# the stdcall fix-up is wanted, not a warning.
target_link_options(unrar PRIVATE -Wl,--no-insert-timestamp -Wl,--enable-stdcall-fixup -s)
target_link_libraries(unrar PRIVATE ole32 oleaut32 wbemuuid powrprof shlwapi advapi32)

# The exports are undecorated while dll.hpp declares them stdcall; an import library
# built from the decorated names with -k binds the callers to the right entries.
# A 64-bit build has one calling convention and no decoration: the library's own
# list of exports serves.
set(unrar_import_lib "${CMAKE_BINARY_DIR}/libunrar_import.a")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(unrar_import_def "${UNRAR_SOURCE_DIR}/dll.def")
  set(unrar_import_kill)
else()
  set(unrar_import_def "${CMAKE_SOURCE_DIR}/cmake/unrar/unrar-stdcall.def")
  set(unrar_import_kill -k)
endif()
# dlltool names the library's symbols after the path given to -l: a bare file name
# keeps the build folder out of the programs linked with it.
add_custom_command(OUTPUT "${unrar_import_lib}"
  COMMAND ${CMAKE_DLLTOOL} ${unrar_import_kill} -D unrar.dll -d "${unrar_import_def}"
          -l libunrar_import.a
  WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
  DEPENDS "${unrar_import_def}"
  VERBATIM)
add_custom_target(unrar_import DEPENDS "${unrar_import_lib}")

add_library(unrar_api INTERFACE)
add_dependencies(unrar_api unrar_import unrar)
target_include_directories(unrar_api SYSTEM INTERFACE "${UNRAR_SOURCE_DIR}")
target_link_libraries(unrar_api INTERFACE "${unrar_import_lib}")
