# Native configuration: portable code and unit tests with sanitizers; registers the
# win32 and e2e tests that run the cross-built programs under Wine.
enable_testing()
set(SAN -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

add_library(velmora_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(velmora_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(velmora_portable PUBLIC ${SAN})
target_link_options(velmora_portable PUBLIC ${SAN})
find_package(Threads REQUIRED)
target_link_libraries(velmora_portable PUBLIC Threads::Threads)

find_package(GTest REQUIRED)
file(GLOB_RECURSE UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE velmora_portable GTest::gtest GTest::gtest_main)
# The POP3 dialogues are data read at run time; a new file there needs a rebuild (for the
# test list), nothing else.
target_compile_definitions(unit_tests PRIVATE VELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
file(GLOB MAIL_DIALOGUES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/mail/dialogues/*.txt)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/tests/unit/mail/MailDialogueTest.cpp APPEND PROPERTY OBJECT_DEPENDS ${MAIL_DIALOGUES})
include(GoogleTest)
gtest_discover_tests(unit_tests PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)

# The build-time picture generator runs natively.
file(GLOB RESGEN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/resgen/*.cpp)
if(RESGEN_SOURCES)
  add_executable(resgen ${RESGEN_SOURCES})
  target_include_directories(resgen PRIVATE ${CMAKE_SOURCE_DIR})
endif()

# Tests of the cross-built programs. VELMORA_WIN32_DIR is where the win32 configuration built.
set(VELMORA_WIN32_DIR ${CMAKE_SOURCE_DIR}/build/win32 CACHE PATH "win32 build folder")
add_test(NAME win32_tests
         COMMAND ${CMAKE_SOURCE_DIR}/tests/wine-run.sh ${VELMORA_WIN32_DIR}/win32_tests.exe --gtest_brief=1)
set_tests_properties(win32_tests PROPERTIES LABELS win32 TIMEOUT 600 RESOURCE_LOCK wine)

# Each fuzz program (built in build/fuzz) runs briefly over its seeds; tests/fuzz/run.sh
# runs them long.
set(VELMORA_FUZZ_DIR ${CMAKE_SOURCE_DIR}/build/fuzz CACHE PATH "fuzz build folder")
file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(f ${FUZZ_TARGETS})
  get_filename_component(n ${f} NAME_WE)
  add_test(NAME ${n} COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh ${VELMORA_FUZZ_DIR} ${n} 3)
  set_tests_properties(${n} PROPERTIES LABELS fuzz TIMEOUT 120)
endforeach()

# The Win32-only parsers' targets run in w32fuzz.exe under Wine, a bounded number of runs
# (about 5 s each on a quiet machine; at most 20 s).
foreach(n w32_charset w32_tls)
  add_test(NAME ${n} COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh ${VELMORA_WIN32_DIR} ${n} 20)
  set_tests_properties(${n} PROPERTIES LABELS fuzz TIMEOUT 120 RESOURCE_LOCK wine)
endforeach()
set_tests_properties(w32_charset PROPERTIES ENVIRONMENT FUZZ_RUNS=50000)
set_tests_properties(w32_tls PROPERTIES ENVIRONMENT FUZZ_RUNS=20000)

file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.sh)
foreach(t ${E2E_TESTS})
  get_filename_component(n ${t} NAME_WE)
  add_test(NAME e2e_${n} COMMAND ${t} ${VELMORA_WIN32_DIR})
  set_tests_properties(e2e_${n} PROPERTIES LABELS e2e TIMEOUT 300)
  # The scripts that start the POP3 peer all bind 127.0.0.1:110 (and 995): one at a time.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${t})
  file(READ ${t} body)
  if(body MATCHES "pop3_peer\\.bash")
    set_tests_properties(e2e_${n} PROPERTIES RESOURCE_LOCK pop3_ports)
  endif()
  # Likewise the scripts whose driver serves TIME on 127.0.0.2:37.
  if(body MATCHES "timeserve")
    set_tests_properties(e2e_${n} PROPERTIES RESOURCE_LOCK time_port)
  endif()
endforeach()
# Two installations (a silent one and one through its pages) and two removals.
set_tests_properties(e2e_installer PROPERTIES TIMEOUT 480)
