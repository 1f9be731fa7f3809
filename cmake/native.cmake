# Native (Linux) build: the portable behaviour and its unit tests, under ASan and UBSan.
option(QV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(QV_SANITIZE)
  set(QV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(qv_core PUBLIC ${QV_SAN_FLAGS})
  # Out-of-range indexing of standard containers stops the tests too.
  target_compile_definitions(qv_core PUBLIC _GLIBCXX_ASSERTIONS)
  target_link_options(qv_core PUBLIC ${QV_SAN_FLAGS})
endif()

find_package(GTest REQUIRED)
enable_testing()

file(GLOB QV_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(qv_native_tests ${QV_NATIVE_TESTS})
target_include_directories(qv_native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)

target_link_libraries(qv_native_tests PRIVATE qv_core GTest::gtest GTest::gtest_main)
target_compile_definitions(qv_native_tests PRIVATE QV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(qv_native_tests DISCOVERY_TIMEOUT 60)
