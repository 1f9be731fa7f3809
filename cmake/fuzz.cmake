# Fuzz build (clang, libFuzzer with ASan and UBSan): one program per reader of outside input,
# built from tests/fuzz/*_fuzz.cpp over the portable behaviour and the unit tests' fakes.
set(QV_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
target_compile_options(qv_core PUBLIC ${QV_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_options(qv_core PUBLIC ${QV_FUZZ_FLAGS})

find_package(GTest REQUIRED)   # the fakes report through gtest's expectations
file(GLOB QV_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(source ${QV_FUZZ_TARGETS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/native ${CMAKE_SOURCE_DIR}/tests/fuzz)
  target_compile_definitions(${name} PRIVATE QV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE qv_core GTest::gtest)
endforeach()
