# The cipher's box file, carried by the program as resource CUSTOM 1 (4,168 bytes) and
# written to bf.dat in the program folder when it is missing there.
#
# Include from the directory that defines the program's target, then attach it:
#   include(${CMAKE_SOURCE_DIR}/win32/resources/bf_dat.cmake)
#   qv_add_bf_dat_resource(<program target>)
# qv_add_bf_dat_resource adds ${QV_BF_DAT_RC} to the target's sources and makes the
# target depend on the generated ${QV_BF_DAT}.

enable_language(RC)

set(QV_BF_TABLE "${CMAKE_SOURCE_DIR}/src/password/blowfish_initial_boxes.txt")
set(QV_BF_DAT "${CMAKE_BINARY_DIR}/bf.dat")
set(QV_BF_DAT_RC "${CMAKE_BINARY_DIR}/bf_dat.rc")

add_custom_command(
  OUTPUT "${QV_BF_DAT}"
  COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/tools/make_bf_dat.py" "${QV_BF_TABLE}" "${QV_BF_DAT}"
  DEPENDS "${CMAKE_SOURCE_DIR}/tools/make_bf_dat.py" "${QV_BF_TABLE}"
  COMMENT "Generating bf.dat from the initial box table"
  VERBATIM)
if(NOT TARGET qv_bf_dat)
  add_custom_target(qv_bf_dat DEPENDS "${QV_BF_DAT}")
endif()

file(CONFIGURE OUTPUT "${QV_BF_DAT_RC}" CONTENT "1 CUSTOM \"${QV_BF_DAT}\"\n" @ONLY)
# The resource compiler reads bf.dat, so the .rc object is rebuilt when the table changes.
set_source_files_properties("${QV_BF_DAT_RC}" PROPERTIES OBJECT_DEPENDS "${QV_BF_DAT}")

function(qv_add_bf_dat_resource target)
  target_sources(${target} PRIVATE "${QV_BF_DAT_RC}")
  add_dependencies(${target} qv_bf_dat)
endfunction()
