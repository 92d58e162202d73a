# Runs the asset generator twice into scratch directories and compares every file byte for byte
# with the other run and with the build's run directory.
# Inputs: GENERATOR, RUN_DIR, SCRATCH.
file(REMOVE_RECURSE ${SCRATCH})
foreach(run a b)
  execute_process(COMMAND ${GENERATOR} ${SCRATCH}/${run} RESULT_VARIABLE rc TIMEOUT 120)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "generator run ${run} failed: ${rc}")
  endif()
endforeach()
file(GLOB_RECURSE paths RELATIVE ${SCRATCH}/a ${SCRATCH}/a/*)
list(LENGTH paths count)
# 24 textures, 4 models, 5 sounds.
if(NOT count EQUAL 33)
  message(FATAL_ERROR "expected 33 assets, the generator wrote ${count}")
endif()
foreach(path ${paths})
  foreach(other ${SCRATCH}/b/${path} ${RUN_DIR}/${path})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH}/a/${path} ${other}
                    RESULT_VARIABLE differ)
    if(NOT differ EQUAL 0)
      message(FATAL_ERROR "${path} differs between ${SCRATCH}/a and ${other}")
    endif()
  endforeach()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "${count} assets identical across runs")
