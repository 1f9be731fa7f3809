# Turns one groff -ms source (with tables) into a PDF:
#   cmake -DGROFF=... -DPS2PDF=... -DSOURCE=... -DOUTPUT=... -P render_pdf.cmake
# groff sets PostScript and Ghostscript makes the PDF: it embeds every font as a subset, the
# base 14 too (a reader without them would substitute its own), and keeps the file small.
# The same source gives the same bytes anywhere: groff and Ghostscript take their dates from
# SOURCE_DATE_EPOCH (the zip format's earliest date unless the builder sets one), and
# Ghostscript makes the document's /ID from the output file's name as given, so it is given
# without a folder.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} 315532800)
endif()
get_filename_component(folder "${OUTPUT}" DIRECTORY)
get_filename_component(name "${OUTPUT}" NAME)
execute_process(
  COMMAND "${GROFF}" -t -ms -Tps -P-pa4 -dpaper=a4 -ww "${SOURCE}"
  OUTPUT_FILE "${OUTPUT}.ps"
  ERROR_VARIABLE messages
  RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT messages STREQUAL "")
  file(REMOVE "${OUTPUT}.ps")
  message(FATAL_ERROR "groff failed on ${SOURCE} (${result}):\n${messages}")
endif()
execute_process(
  COMMAND "${PS2PDF}" -sPAPERSIZE=a4 -dPDFSETTINGS=/prepress "${OUTPUT}.ps" "${name}.tmp"
  WORKING_DIRECTORY "${folder}"
  ERROR_VARIABLE messages
  RESULT_VARIABLE result)
file(REMOVE "${OUTPUT}.ps")
if(NOT result EQUAL 0)
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "ps2pdf failed on ${SOURCE} (${result}):\n${messages}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
