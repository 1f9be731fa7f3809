# Windows build (MinGW-w64): the program, its DLLs, the language libraries, the
# Windows-side tests and the end-to-end tests.

enable_language(RC)
# The MinGW runtime is linked statically: no libstdc++/libgcc DLL beside the program.
add_link_options(-static -static-libgcc -static-libstdc++)
# The same sources give the same bytes on any machine and in any folder: no link time stamp
# in the images, no build paths in what __FILE__ and friends leave behind.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# The program folder as it goes on the USB stick; targets and files that ship are put here.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QV_ARCH win64)
else()
  set(QV_ARCH win32)
endif()
set(QV_DIST_DIR "${CMAKE_SOURCE_DIR}/dist/${QV_ARCH}/Program/quorvel" CACHE PATH "Shipped program folder")
file(MAKE_DIRECTORY "${QV_DIST_DIR}")
# Build outputs of every target land together, so tests find the program and its DLLs.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")

# qv_ship(target description): gives the target the program's version resource, marks the
# image to run from the swap file when started from a stick (GNU ld has no switch for these
# header flags), and copies its file into the shipped program folder after each build.
function(qv_ship target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(QV_IMAGE_TYPE VFT_APP)
  else()
    set(QV_IMAGE_TYPE VFT_DLL)
  endif()
  set(QV_IMAGE_DESCRIPTION "${description}")
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  get_target_property(prefix ${target} PREFIX)
  get_target_property(suffix ${target} SUFFIX)
  if(NOT prefix)
    set(prefix "")
  endif()
  if(NOT suffix)
    if(type STREQUAL "EXECUTABLE")
      set(suffix ".exe")
    else()
      set(suffix ".dll")
    endif()
  endif()
  set(QV_IMAGE_FILE "${prefix}${name}${suffix}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file("${CMAKE_SOURCE_DIR}/win32/resources/image_version.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${Python3_EXECUTABLE}" "${CMAKE_SOURCE_DIR}/tools/pe_swap_flags.py" $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> "${QV_DIST_DIR}/")
  set_property(GLOBAL APPEND PROPERTY QV_SHIPPED_TARGETS ${target})
  set_property(GLOBAL APPEND PROPERTY QV_SHIPPED_FILES "$<TARGET_FILE:${target}>")
endfunction()

# qv_ship_file(name path dependency...): copies a generated or source file into the folder.
function(qv_ship_file name path)
  get_filename_component(base "${path}" NAME)
  add_custom_command(OUTPUT "${QV_DIST_DIR}/${base}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${path}" "${QV_DIST_DIR}/${base}"
    DEPENDS "${path}" ${ARGN})
  add_custom_target(${name} ALL DEPENDS "${QV_DIST_DIR}/${base}")
  set_property(GLOBAL APPEND PROPERTY QV_SHIPPED_TARGETS ${name})
  set_property(GLOBAL APPEND PROPERTY QV_SHIPPED_FILES "${path}")
endfunction()

# A DLL whose exports are undecorated stdcall names, from a .def file beside the sources.
function(qv_stdcall_dll target def)
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_link_options(${target} PRIVATE "${def}" -Wl,--enable-stdcall-fixup -Wl,--kill-at)
endfunction()

# GoogleTest built for Windows from Debian's sources.
set(QV_GTEST_SRC /usr/src/googletest/googletest)
add_library(qv_gtest STATIC ${QV_GTEST_SRC}/src/gtest-all.cc)
target_include_directories(qv_gtest SYSTEM PUBLIC ${QV_GTEST_SRC}/include PRIVATE ${QV_GTEST_SRC})
target_compile_options(qv_gtest PRIVATE -w)
# The win32-thread runtime has no std::mutex: GoogleTest gets an event-based Notification.
target_compile_definitions(qv_gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(qv_gtest PUBLIC -include "${CMAKE_SOURCE_DIR}/cmake/gtest_mingw_notification.h")
add_library(qv_gtest_main STATIC ${QV_GTEST_SRC}/src/gtest_main.cc)
target_include_directories(qv_gtest_main SYSTEM PRIVATE ${QV_GTEST_SRC}/include)
target_link_libraries(qv_gtest_main PUBLIC qv_gtest)

foreach(dir win32 dlls/quorveldll dlls/kvusbserial dlls/securedel lang docs tools/keysim tools/bench tests/windows tests/e2e)
  if(EXISTS "${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt")
    add_subdirectory(${dir})
  endif()
endforeach()

# The shipped images that carry the C++ runtime end a terminate quietly (see the file).
foreach(target quorvel QuorvelDll KvUSBSerial)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/win32/quiet_terminate.cpp)
endforeach()

# The release: dist/quorvel-lite-<version>-<arch>.zip holding Program/quorvel/ exactly as it
# goes on the stick, made from the list of shipped files (never from the folder, which may
# hold leftovers), in a fixed order with fixed times and attributes.
set(QV_RELEASE_ZIP "${CMAKE_SOURCE_DIR}/dist/quorvel-lite-${PROJECT_VERSION}-${QV_ARCH}.zip" CACHE FILEPATH
    "Release zip of the shipped program folder")
get_property(shipped_targets GLOBAL PROPERTY QV_SHIPPED_TARGETS)
get_property(shipped_files GLOBAL PROPERTY QV_SHIPPED_FILES)
add_custom_command(OUTPUT "${QV_RELEASE_ZIP}"
  COMMAND "${Python3_EXECUTABLE}" "${CMAKE_SOURCE_DIR}/tools/make_release_zip.py"
          --folder Program/quorvel "${QV_RELEASE_ZIP}" ${shipped_files}
  DEPENDS "${CMAKE_SOURCE_DIR}/tools/make_release_zip.py" ${shipped_targets} ${shipped_files}
  COMMENT "Packing ${QV_RELEASE_ZIP}"
  VERBATIM)
add_custom_target(qv_release_zip ALL DEPENDS "${QV_RELEASE_ZIP}")
