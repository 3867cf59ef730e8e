# Fuzzing configuration (build/fuzz, clang with libFuzzer): one program per parser that
# reads outside input, over the portable code, with AddressSanitizer and UBSan.
set(FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_compile_options(-Wall -Wno-unused-parameter)
add_library(velmora_fuzzlib STATIC ${PORTABLE_SOURCES})
target_include_directories(velmora_fuzzlib PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(velmora_fuzzlib PUBLIC ${FUZZ_FLAGS})
target_link_options(velmora_fuzzlib PUBLIC -fsanitize=fuzzer,address,undefined)
find_package(Threads REQUIRED)
target_link_libraries(velmora_fuzzlib PUBLIC Threads::Threads)

file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(f ${FUZZ_TARGETS})
  get_filename_component(n ${f} NAME_WE)
  add_executable(${n} ${f})
  target_link_libraries(${n} PRIVATE velmora_fuzzlib)
endforeach()
