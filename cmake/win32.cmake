# Win32 configuration: velmora.exe, the Win32 GoogleTest program and the e2e driver,
# all 32-bit and statically linked.
add_compile_options(-Wall -Wno-unused-parameter)
# Each function in a section of its own, so the linker leaves out what the program never calls.
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0501)

set(WIN32_SOURCES)
foreach(d ${UNIT_DIRS})
  file(GLOB s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${d}/win32/*.cpp)
  list(APPEND WIN32_SOURCES ${s})
endforeach()
list(FILTER WIN32_SOURCES EXCLUDE REGEX "/app/win32/WinMain\\.cpp$")

set(WIN32_LIBS msimg32 comctl32 shell32 user32 gdi32 winmm advapi32 wsock32 comdlg32 ole32)
add_library(velmora_lib STATIC ${PORTABLE_SOURCES} ${WIN32_SOURCES})
target_include_directories(velmora_lib PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(velmora_lib PUBLIC ${WIN32_LIBS})

# Pictures drawn at build time by our own generator (compiled for the build machine).
set(RESGEN ${CMAKE_BINARY_DIR}/resgen-host)
file(GLOB RESGEN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/resgen/*.cpp)
set(GEN_DIR ${CMAKE_BINARY_DIR}/generated)
add_custom_command(OUTPUT ${RESGEN}
  COMMAND g++ -std=c++20 -O2 -I${CMAKE_SOURCE_DIR} ${RESGEN_SOURCES} -o ${RESGEN}
  DEPENDS ${RESGEN_SOURCES} VERBATIM)
add_custom_command(OUTPUT ${GEN_DIR}/stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GEN_DIR}
  COMMAND ${RESGEN} ${GEN_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${GEN_DIR}/stamp
  DEPENDS ${RESGEN} VERBATIM)
add_custom_target(pictures DEPENDS ${GEN_DIR}/stamp)

set(RC_FILE ${CMAKE_SOURCE_DIR}/resources/velmora.rc)
set(RC_OBJ ${CMAKE_BINARY_DIR}/velmora_rc.o)
file(GLOB RC_DEPS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
add_custom_command(OUTPUT ${RC_OBJ}
  COMMAND i686-w64-mingw32-windres -I ${GEN_DIR} -I ${CMAKE_SOURCE_DIR}/resources -I ${CMAKE_SOURCE_DIR}
          -i ${RC_FILE} -o ${RC_OBJ}
  DEPENDS ${RC_DEPS} ${GEN_DIR}/stamp VERBATIM)

if(EXISTS ${RC_FILE})
  add_executable(velmora WIN32 ${CMAKE_SOURCE_DIR}/app/win32/WinMain.cpp ${RC_OBJ})
else()
  add_executable(velmora WIN32 ${CMAKE_SOURCE_DIR}/app/win32/WinMain.cpp)
endif()
target_link_libraries(velmora PRIVATE velmora_lib)
target_link_options(velmora PRIVATE -Wl,--gc-sections)
# The shipped program carries no debug information; it is kept beside the build in
# velmora.debug (linked by name) for crash analysis.
add_custom_command(TARGET velmora POST_BUILD
  COMMAND i686-w64-mingw32-objcopy --only-keep-debug $<TARGET_FILE:velmora> ${CMAKE_BINARY_DIR}/velmora.debug
  COMMAND i686-w64-mingw32-strip --strip-all $<TARGET_FILE:velmora>
  COMMAND i686-w64-mingw32-objcopy --add-gnu-debuglink=velmora.debug $<TARGET_FILE:velmora>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)

# GoogleTest built from the sources Debian installs.
add_library(gtest_win32 STATIC ${GTEST_SRC}/googletest/src/gtest-all.cc ${GTEST_SRC}/googletest/src/gtest_main.cc)
target_include_directories(gtest_win32 PUBLIC ${GTEST_SRC}/googletest/include PRIVATE ${GTEST_SRC}/googletest)
target_compile_options(gtest_win32 PRIVATE -w)

file(GLOB_RECURSE W32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(win32_tests ${W32_TESTS})
target_link_libraries(win32_tests PRIVATE velmora_lib gtest_win32)

# The mutation fuzzer of the Win32-only parsers (libFuzzer does not build for mingw).
file(GLOB W32FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/win32/*.cpp)
add_executable(w32fuzz ${W32FUZZ_SOURCES})
target_link_libraries(w32fuzz PRIVATE velmora_lib crypt32)

file(GLOB DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/driver/*.cpp)
add_executable(e2edriver ${DRIVER_SOURCES} ${CMAKE_SOURCE_DIR}/core/Utf16.cpp)
target_include_directories(e2edriver PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(e2edriver PRIVATE user32 gdi32 comctl32 ws2_32 shell32)
include(cmake/shipping.cmake)
