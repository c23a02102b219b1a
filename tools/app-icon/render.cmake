# Runs app-icon and renders each size's drawing to its PNG.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${TOOL} ${WORK} COMMAND_ERROR_IS_FATAL ANY)
file(MAKE_DIRECTORY ${OUT}/scalable/apps)
file(COPY_FILE ${WORK}/scalable.svg ${OUT}/scalable/apps/${ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
  file(MAKE_DIRECTORY ${OUT}/${size}x${size}/apps)
  execute_process(
    COMMAND ${RSVG} -w ${size} -h ${size} -o ${OUT}/${size}x${size}/apps/${ID}.png ${WORK}/${size}.svg
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
