# Size of the Windows images: the program folder lives on a USB stick and must stay small.
# Release images are optimised for size and stripped, and functions and data nothing refers to
# are dropped at link time. Only the cipher's block function, the one tight loop, is optimised
# for speed. Included from the top level before any target is made, so every target gets it.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections $<$<CONFIG:Release>:-s>)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/password/blowfish_core.cpp PROPERTIES
  COMPILE_OPTIONS $<$<CONFIG:Release>:-O2>)
