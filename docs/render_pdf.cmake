# Turns one groff -ms source (with tables) into a PDF: cmake -DGROFF=... -DSOURCE=... -DOUTPUT=... -P render_pdf.cmake
execute_process(
  COMMAND "${GROFF}" -t -ms -Tpdf -P-pa4 -dpaper=a4 -ww "${SOURCE}"
  OUTPUT_FILE "${OUTPUT}.tmp"
  ERROR_VARIABLE messages
  RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT messages STREQUAL "")
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "groff failed on ${SOURCE} (${result}):\n${messages}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
