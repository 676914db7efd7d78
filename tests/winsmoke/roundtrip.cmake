# Writes the reference rays, then compares a fresh run against them.
execute_process(COMMAND ${RAYGRID} --write ${OUT} ${MODULES} RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "reference run failed (${rc})")
endif()
execute_process(COMMAND ${RAYGRID} --compare ${OUT} ${MODULES} RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "comparison run failed (${rc})")
endif()
