# What ships beside velmora.exe in build/win32: the help file compiled by tools/helpc, the
# new-mail sound drawn by resgen, the language files in the Windows code page; then the
# installer (makensis) and a zip of the same files for a copy without installing.
set(HELPC ${CMAKE_BINARY_DIR}/helpc-host)
file(GLOB HELPC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/helpc/*.cpp)
add_custom_command(OUTPUT ${HELPC}
  COMMAND g++ -std=c++20 -O2 -I${CMAKE_SOURCE_DIR} ${HELPC_SOURCES} -o ${HELPC}
  DEPENDS ${HELPC_SOURCES} VERBATIM)

set(SHIP_DIR ${CMAKE_BINARY_DIR})
set(HELP_SOURCE ${CMAKE_SOURCE_DIR}/help/velmora.help)
add_custom_command(OUTPUT ${SHIP_DIR}/velmora.hlp
  COMMAND ${HELPC} ${HELP_SOURCE} ${SHIP_DIR}/velmora.hlp
  DEPENDS ${HELPC} ${HELP_SOURCE} VERBATIM)
add_custom_command(OUTPUT ${SHIP_DIR}/man.wav
  COMMAND ${CMAKE_COMMAND} -E copy ${GEN_DIR}/man.wav ${SHIP_DIR}/man.wav
  DEPENDS ${GEN_DIR}/stamp VERBATIM)

# Language files are kept in UTF-8 in the repository; the program reads them with the
# ANSI profile functions, so they ship in code page 1252 with CR LF line ends.
file(GLOB LANG_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/lang/*.ini)
set(SHIPPED_LANG)
foreach(l ${LANG_SOURCES})
  get_filename_component(n ${l} NAME)
  add_custom_command(OUTPUT ${SHIP_DIR}/${n}
    COMMAND sh -c "iconv -f UTF-8 -t CP1252 \"$0\" | sed 's/$/\\r/' > \"$1\"" ${l} ${SHIP_DIR}/${n}
    DEPENDS ${l} VERBATIM)
  list(APPEND SHIPPED_LANG ${SHIP_DIR}/${n})
endforeach()

set(SHIPPED ${SHIP_DIR}/velmora.hlp ${SHIP_DIR}/man.wav ${SHIPPED_LANG})

# The installer and the zip carry a copy of the program without its debugging information.
set(DIST_DIR ${SHIP_DIR}/dist)
add_custom_command(OUTPUT ${DIST_DIR}/velmora.exe
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_DIR}
  COMMAND i686-w64-mingw32-strip -o ${DIST_DIR}/velmora.exe $<TARGET_FILE:velmora>
  COMMAND ${CMAKE_COMMAND} -E copy ${SHIPPED} ${DIST_DIR}
  DEPENDS velmora ${SHIPPED} VERBATIM)
set(INSTALLER ${SHIP_DIR}/velmora-setup.exe)
set(NSI ${CMAKE_SOURCE_DIR}/installer/velmora.nsi)
add_custom_command(OUTPUT ${INSTALLER}
  COMMAND makensis -V2 -DFILES=${DIST_DIR} -DOUTFILE=${INSTALLER} -DICON=${GEN_DIR}/velmora.ico ${NSI}
  DEPENDS ${DIST_DIR}/velmora.exe ${NSI} ${GEN_DIR}/stamp VERBATIM)
set(ZIP ${SHIP_DIR}/velmora.zip)
add_custom_command(OUTPUT ${ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ZIP}
  COMMAND sh -c "cd \"$0\" && zip -q -X \"$1\" velmora.exe velmora.hlp man.wav *.ini" ${DIST_DIR} ${ZIP}
  DEPENDS ${DIST_DIR}/velmora.exe VERBATIM)
add_custom_target(shipping ALL DEPENDS ${SHIPPED} ${INSTALLER} ${ZIP})
